#include "output/cross_reference.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/explain.h"
#include "base/link_context.h"
#include "platform/console_text.h"

namespace orv {
namespace {

// The column at which the modules stand; a longer name pushes its first
// module to the right.
constexpr std::size_t MODULE_COLUMN = 50;

std::string padded(std::string_view name) {
    std::string text(name);
    text += ' ';
    if (text.size() < MODULE_COLUMN) text.append(MODULE_COLUMN - text.size(), ' ');
    return text;
}

bool same_module(const Reference& reference, const char* file, const char* member) {
    if (std::string_view(reference.file) != std::string_view(file)) return false;
    if ((reference.member == nullptr) != (member == nullptr)) return false;
    return member == nullptr || std::string_view(reference.member) == std::string_view(member);
}

}  // namespace

void write_cross_reference(LinkContext& ctx, TextOutput* map) {
    // `line` is the table's own text, or (`named`) a line of one name and
    // module ending in its line feed.
    auto emit = [&](const std::string& line, bool named = true) {
        if (map != nullptr) {
            map->write(line);
        } else {
            // On the console the names are escaped (a line feed in one too);
            // the map keeps their bytes.
            const bool ended = named && !line.empty() && line.back() == '\n';
            std::string shown = named ? console_text(std::string_view(line).substr(0, line.size() - (ended ? 1 : 0))) : line;
            if (ended) shown += '\n';
            std::fputs(shown.c_str(), ctx.console.out);
        }
    };

    // Names in the map's order (by bytes) and references sorted once the
    // same way; the references of one name keep their reading order.
    const std::vector<SymbolEntry*>& names = ctx.symbols.in_name_order();
    auto by_name = [](const char* a, const char* b) { return std::string_view(a) < std::string_view(b); };
    std::vector<Reference> references = ctx.cross_references.references;
    std::stable_sort(references.begin(), references.end(),
                     [&](const Reference& a, const Reference& b) { return by_name(a.name, b.name); });

    emit(map != nullptr ? "\n\nCross Reference Table\n\n" : "\nCross Reference Table\n\n", false);
    emit(padded("Symbol") + "File\n", false);
    auto next = references.begin();
    for (const SymbolEntry* entry : names) {
        std::string_view name = entry->name;
        while (next != references.end() && std::string_view(next->name) < name) ++next;
        emit(padded(name) + module_name(entry->file_name, entry->member_name) + "\n");
        const Reference* previous = nullptr;
        for (; next != references.end() && std::string_view(next->name) == name; ++next) {
            // A module is listed once, and the definer only as the definer.
            if (same_module(*next, entry->file_name, entry->member_name)) continue;
            if (previous != nullptr && same_module(*next, previous->file, previous->member)) continue;
            emit(std::string(MODULE_COLUMN, ' ') + module_name(next->file, next->member) + "\n");
            previous = &*next;
        }
    }
}

}  // namespace orv
