#include "pass1/linker_symbols.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"

namespace orv {
namespace {

constexpr std::string_view START_PREFIX = "__start_";
constexpr std::string_view STOP_PREFIX = "__stop_";

// The section that a name __start_NAME or __stop_NAME stands for.
struct SectionSymbolName {
    std::string_view section;
    bool stop;
};

std::optional<SectionSymbolName> section_symbol_name(std::string_view name) {
    if (name.starts_with(START_PREFIX) && name.size() > START_PREFIX.size()) {
        return SectionSymbolName{name.substr(START_PREFIX.size()), false};
    }
    if (name.starts_with(STOP_PREFIX) && name.size() > STOP_PREFIX.size()) {
        return SectionSymbolName{name.substr(STOP_PREFIX.size()), true};
    }
    return std::nullopt;
}

// The definition that comes back to itself by following the names the
// definitions follow, if any.
const SymbolDefinition* first_circular_definition(const std::vector<SymbolDefinition>& definitions) {
    std::unordered_map<std::string_view, const SymbolDefinition*> by_name;
    for (const SymbolDefinition& definition : definitions) by_name[definition.name] = &definition;
    for (const SymbolDefinition& definition : definitions) {
        const SymbolDefinition* step = &definition;
        // Each step moves to another definition; more steps than there are
        // definitions means a circle.
        for (std::size_t steps = 0; step != nullptr && !step->target.empty(); ++steps) {
            if (steps == definitions.size()) return &definition;
            auto next = by_name.find(step->target);
            step = next != by_name.end() ? next->second : nullptr;
        }
    }
    return nullptr;
}

// The number of single-character edits that turn one name into the other.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

void enter_symbol_definitions(LinkContext& ctx) {
    const std::vector<SymbolDefinition>& definitions = ctx.options.symbol_definitions;
    if (definitions.empty()) return;
    if (const SymbolDefinition* circular = first_circular_definition(definitions)) {
        error_exit(ERR_SYMBOL_DEFINITION, circular->option);
    }
    LinkerSymbols& linker = ctx.linker_symbols;
    linker.defsym_definer = ctx.str_save("--defsym");
    for (const SymbolDefinition& definition : definitions) {
        SymbolEntry entry;
        entry.name = ctx.str_save(definition.name);
        entry.file_name = linker.defsym_definer;
        entry.state = SYM_DEFINED;
        // A name that follows another takes that name's kind once its value
        // is known; until then it is a plain value, which placement leaves alone.
        entry.kind = SYM_SYMBOL;
        entry.value = definition.target.empty() ? int32_t(definition.value) : 0;
        linker.defined.push_back(DefinedSymbol{ctx.symbols.enter_symbol(entry), nullptr, definition.value});
    }
    for (std::size_t i = 0; i < definitions.size(); ++i) {
        if (definitions[i].target.empty()) continue;
        SymbolEntry reference;
        reference.name = ctx.str_save(definitions[i].target);
        reference.file_name = linker.defsym_definer;
        reference.state = SYM_UNDEFINED;
        linker.defined[i].target = ctx.symbols.enter_symbol(reference);
        if (ctx.options.cref) {
            ctx.cross_references.references.push_back(Reference{reference.name, linker.defsym_definer, nullptr});
        }
    }
}

void define_section_symbols(LinkContext& ctx) {
    if (!ctx.options.section_symbols) return;
    LinkerSymbols& linker = ctx.linker_symbols;
    for (std::size_t i = 0; i < ctx.symbols.size(); ++i) {
        SymbolEntry& entry = ctx.symbols.entry(i);
        if (entry.state != SYM_UNDEFINED) continue;
        const std::optional<SectionSymbolName> symbol = section_symbol_name(entry.name);
        if (!symbol) continue;
        char buffer[2];
        const Section* section = ctx.sections.find_section(normalise_section_name(symbol->section, buffer));
        if (section == nullptr) continue;
        if (linker.section_definer == nullptr) linker.section_definer = ctx.str_save("--section-symbols");
        SymbolEntry definition;
        definition.name = entry.name;
        definition.file_name = linker.section_definer;
        definition.state = SYM_DEFINED;
        definition.kind = SYM_LABEL;
        definition.unit_no = section->units->unit_no;
        ctx.symbols.enter_found(&entry, definition, name_hash(entry.name));
        linker.section_symbols.push_back(SectionSymbol{&entry, section, symbol->stop});
    }
}

void explain_missing_section(LinkContext& ctx, const SymbolEntry& entry) {
    if (!ctx.options.section_symbols || !explaining(ctx)) return;
    const std::optional<SectionSymbolName> symbol = section_symbol_name(entry.name);
    if (!symbol) return;
    char buffer[2];
    const std::string_view wanted = normalise_section_name(symbol->section, buffer);
    const Section* closest = nullptr;
    std::size_t closest_distance = 0;
    for (const Section* section = ctx.sections.section_list; section != nullptr; section = section->next) {
        const std::size_t distance = edit_distance(wanted, section->name);
        if (closest == nullptr || distance < closest_distance) {
            closest = section;
            closest_distance = distance;
        }
    }
    std::string line = "no section " + std::string(wanted) + " exists";
    line += closest != nullptr ? "; the closest is " + std::string(closest->name) : ", nor any other";
    print_detail(ctx.console, line);
}

}  // namespace orv
