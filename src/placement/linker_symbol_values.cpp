#include "placement/linker_symbol_values.h"

#include <unordered_map>

#include "base/link_context.h"
#include "placement/unit_values.h"

namespace orv {
namespace {

// Settles one --defsym that follows a name, after the --defsym it follows
// when that is one too (definitions never lead back to themselves).
void settle_definition(const DefinedSymbol& symbol,
                       const std::unordered_map<const SymbolEntry*, const DefinedSymbol*>& by_entry,
                       std::unordered_map<const SymbolEntry*, bool>& settled) {
    if (symbol.target == nullptr || settled[symbol.entry]) return;
    auto followed = by_entry.find(symbol.target);
    if (followed != by_entry.end()) settle_definition(*followed->second, by_entry, settled);
    const SymbolEntry& target = *symbol.target;
    SymbolEntry& entry = *symbol.entry;
    entry.kind = target.kind;
    entry.unit_no = target.unit_no;
    entry.bit_no = target.bit_no;
    entry.value = int32_t(uint32_t(target.value) + symbol.offset);
    settled[symbol.entry] = true;
}

}  // namespace

void settle_linker_symbols(LinkContext& ctx) {
    LinkerSymbols& linker = ctx.linker_symbols;
    for (const SectionSymbol& symbol : linker.section_symbols) {
        const int64_t start = unit_address(*symbol.section->units);
        symbol.entry->value = to_field(symbol.stop ? start + section_length(*symbol.section) : start);
    }
    std::unordered_map<const SymbolEntry*, const DefinedSymbol*> by_entry;
    for (const DefinedSymbol& symbol : linker.defined) by_entry[symbol.entry] = &symbol;
    std::unordered_map<const SymbolEntry*, bool> settled;
    for (const DefinedSymbol& symbol : linker.defined) settle_definition(symbol, by_entry, settled);
}

}  // namespace orv
