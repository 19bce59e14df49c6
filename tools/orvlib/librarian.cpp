#include "orvlib/librarian.h"

#include <cstdio>

#include "fixture/library_writer.h"
#include "platform/console_text.h"

namespace orvlib {
namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

std::string upper(const std::string& text) {
    std::string result = text;
    for (char& c : result) c = upper(c);
    return result;
}

std::string format(const char* pattern, unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

const char* kind_word(PublicKind kind) {
    switch (kind) {
    case PublicKind::LABEL: return "label";
    case PublicKind::SYMBOL: return "symbol";
    case PublicKind::BIT: return "bit";
    }
    return "?";
}

// One indented line of a module's listing: a word in a column of nine.
std::string entry_line(const char* word, const std::string& rest) {
    std::string text = std::string("    ") + word;
    text.resize(4 + 9, ' ');
    return text + rest + "\n";
}

}  // namespace

std::string module_name_for(const std::string& path) {
    // Both separators count, so that names written for the linker work too.
    std::size_t slash = path.find_last_of("/\\:");
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.erase(dot);
    return upper(base);
}

void check_object(const Bytes& image) {
    ImageExtent extent = walk_image(image, 0);
    if (extent.end != image.size()) {
        std::size_t extra = image.size() - extent.end;
        throw FormatError(extent.end, std::to_string(extra) + (extra == 1 ? " byte follows" : " bytes follow") +
                                          " the module's end record");
    }
}

Bytes create_library(const std::vector<ModuleInput>& modules) {
    orvfixture::LibraryWriter writer;
    for (const ModuleInput& module : modules) writer.add(orvfixture::library_module(module.name, module.image));
    return writer.bytes();
}

std::string list_library(const std::string& file_name, const LibraryFile& library) {
    // Every name is escaped: the listing goes to a terminal.
    using orv::console_text;
    std::string text = "library " + console_text(file_name) + ": " + std::to_string(library.modules.size()) +
                       (library.modules.size() == 1 ? " module\n" : " modules\n");
    for (const ModuleEntry& module : library.modules) {
        std::size_t size = module.image.end - module.image.start;
        text += "module " + console_text(module.name) + ": image " + std::to_string(size) + " bytes at offset " +
                format("0x%08lX", (unsigned long)module.image.start) + "\n";
        for (const UnitInfo& unit : module.units) {
            std::string where = unit.abs != 0 ? " ABS at " + format("0x%04lX", (unsigned long)unit.address) : " REL";
            text += entry_line("unit", console_text(unit.section) + (unit.ram != 0 ? " RAM" : " ROM") + where + " size " +
                                           format("0x%04lX", (unsigned long)unit.size));
        }
        for (const PublicName& name : module.publics) text += entry_line(kind_word(name.kind), console_text(name.name));
        for (const std::string& name : module.externals) text += entry_line("extern", console_text(name));
    }
    return text;
}

const ModuleEntry* find_module(const LibraryFile& library, const std::string& name) {
    for (const ModuleEntry& module : library.modules) {
        if (module.name == name) return &module;
    }
    const ModuleEntry* found = nullptr;
    for (const ModuleEntry& module : library.modules) {
        if (upper(module.name) != upper(name)) continue;
        if (found != nullptr) return nullptr;
        found = &module;
    }
    return found;
}

const char* unsafe_file_name(const std::string& name) {
    if (name.empty()) return "is empty";
    if (name == "." || name == "..") return "is a directory";
    for (char c : name) {
        if (c == '/' || c == '\\' || c == ':') return "holds a directory separator";
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "holds a control character";
    }
    if (name.find("..") != std::string::npos) return "holds \"..\"";
    return nullptr;
}

Bytes module_image(const Bytes& library_bytes, const ModuleEntry& module) {
    return Bytes(library_bytes.begin() + std::ptrdiff_t(module.image.start),
                 library_bytes.begin() + std::ptrdiff_t(module.image.end));
}

}  // namespace orvlib
