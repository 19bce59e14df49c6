#include "fuzz_entries.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "base/link_context.h"
#include "driver/run_link.h"
#include "fixed_inputs.h"
#include "orvaddr/address_decoder.h"
#include "orvlib/librarian.h"
#include "orvobj/object_text.h"
#include "orvsize/size_table.h"
#include "platform/console.h"

namespace orvfuzz {
namespace {

using Files = std::map<std::string, std::string, std::less<>>;

// The null device for one run's console streams and output files, closed after it.
struct NullFile {
    std::FILE* file;
    explicit NullFile(const char* mode) : file(std::fopen(orv::NULL_DEVICE, mode)) {}
    ~NullFile() {
        if (file != nullptr) std::fclose(file);
    }
    NullFile(const NullFile&) = delete;
    NullFile& operator=(const NullFile&) = delete;
};

// One link on a fresh context, its inputs from `files` alone. With
// ORVFUZZ_CONSOLE set in the environment the console text goes to standard
// error, to see what an input does.
int link_in_memory(const Files& files, const std::vector<std::string>& args) {
    NullFile in("rb"), out("wb");
    if (in.file == nullptr || out.file == nullptr) return -1;
    std::FILE* console = std::getenv("ORVFUZZ_CONSOLE") != nullptr ? stderr : out.file;
    auto ctx = std::make_unique<orv::LinkContext>(orv::Console{in.file, console, console});
    ctx->inputs.set_loader([&files](std::string_view name, std::string& bytes) {
        auto found = files.find(name);
        if (found == files.end()) return false;
        bytes = found->second;
        return true;
    });
    ctx->output.create_file = [](std::string_view) { return std::fopen(orv::NULL_DEVICE, "wb"); };
    return orv::run_link(*ctx, args);
}

std::string text_of(const uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

const Files& fixed_files() {
    static const Files files{{"MAIN.ROV", fixed_main_object()},
                             {"SUB.ROV", fixed_sub_object()},
                             {"FIX.LIB", fixed_library()}};
    return files;
}

}  // namespace

int link_fuzzed_object(const uint8_t* data, std::size_t size) {
    Files files = fixed_files();
    files["FUZZ.ROV"] = text_of(data, size);
    return link_in_memory(files, {"MAIN FUZZ,FIX,CODE=C000 DATA=0040,-MS -S -."});
}

int link_fuzzed_library(const uint8_t* data, std::size_t size) {
    Files files = fixed_files();
    files["FUZZ.LIB"] = text_of(data, size);
    return link_in_memory(files, {"MAIN,FUZZ,CODE=C000 DATA=0040,-MS -S -."});
}

int link_fuzzed_command(const uint8_t* data, std::size_t size) {
    const std::string text = text_of(data, size);
    const std::size_t split = text.find('\0');
    Files files = fixed_files();
    if (split != std::string::npos) files["CMD.LNK"] = text.substr(split + 1);
    std::vector<std::string> args;
    const std::string line_text = text.substr(0, split);
    std::size_t start = 0;
    while (start <= line_text.size()) {
        std::size_t end = line_text.find('\n', start);
        if (end == std::string::npos) end = line_text.size();
        args.push_back(line_text.substr(start, end - start));
        start = end + 1;
    }
    if (args.size() == 1 && args[0].empty()) args.clear();
    return link_in_memory(files, args);
}

int link_fuzzed_pass2(const uint8_t* data, std::size_t size) {
    static const std::string pass1 = fixed_main_pass1();
    Files files = fixed_files();
    files["MAIN.ROV"] = pass1 + text_of(data, size);
    return link_in_memory(files, {"MAIN SUB,FIX,CODE=C000 DATA=0040,-MS -S -."});
}

int build_fuzzed_object_text(const uint8_t* data, std::size_t size) {
    try {
        orvobj::build_object(text_of(data, size));
    } catch (const orvobj::TextError&) {
        return 1;
    }
    return 0;
}

int list_fuzzed_library(const uint8_t* data, std::size_t size) {
    try {
        const orvlib::LibraryFile library = orvlib::read_library_file(orvlib::Bytes(data, data + size));
        orvlib::list_library("FUZZ.LIB", library);
    } catch (const orvlib::FormatError&) {
        return 1;
    }
    return 0;
}

int read_fuzzed_report(const uint8_t* data, std::size_t size) {
    try {
        const orvsize::LinkReport report = orvsize::read_link_report(text_of(data, size));
        for (orvsize::Grouping by : {orvsize::Grouping::REGION, orvsize::Grouping::FUNCTION}) {
            orvsize::size_output(report, by, {}, orvsize::Format::TEXT);
            orvsize::diff_output(report, report, by, true, {}, orvsize::Format::MARKDOWN);
        }
    } catch (const orvsize::ReportError&) {
        return 1;
    }
    return 0;
}

int read_fuzzed_symbol_file(const uint8_t* data, std::size_t size) {
    try {
        const orvaddr::SymbolFile file = orvaddr::read_symbol_file(text_of(data, size));
        const orvaddr::AddressDecoder decoder(file);
        for (uint32_t address : {0x0u, 0xC000u, 0xC013u, 0xFFFFu, 0x1FFFFu}) {
            orvaddr::decoded_text(decoder.decode(address));
            orvaddr::decoded_json(decoder.decode(address));
        }
        orvaddr::scan_text(decoder, "PC=C013 0xFFFE 0200 12345");
    } catch (const orvaddr::SymbolFileError&) {
        return 1;
    }
    return 0;
}

int extract_fuzzed_library(const uint8_t* data, std::size_t size) {
    try {
        const orvlib::Bytes bytes(data, data + size);
        const orvlib::LibraryFile library = orvlib::read_library_file(bytes);
        for (const orvlib::ModuleEntry& entry : library.modules) {
            const orvlib::ModuleEntry* found = orvlib::find_module(library, entry.name);
            if (found == nullptr) continue;  // a name given twice in other letter cases
            const orvlib::Bytes image = orvlib::module_image(bytes, *found);
            if (orvlib::unsafe_file_name(found->name) == nullptr && found->name.find('/') != std::string::npos) {
                __builtin_trap();  // a default name that leaves the directory
            }
            if (image.size() != found->image.end - found->image.start) __builtin_trap();
        }
    } catch (const orvlib::FormatError&) {
        return 1;
    }
    return 0;
}

const std::vector<Target>& targets() {
    static const std::vector<Target> all{
        {"object", link_fuzzed_object},     {"library", link_fuzzed_library},
        {"command", link_fuzzed_command},   {"pass2", link_fuzzed_pass2},
        {"orvobj_build", build_fuzzed_object_text}, {"orvlib_list", list_fuzzed_library},
        {"orvsize_report", read_fuzzed_report},     {"orvaddr_symbols", read_fuzzed_symbol_file},
        {"orvlib_extract", extract_fuzzed_library},
    };
    return all;
}

}  // namespace orvfuzz
