#pragma once

namespace orv {

struct LinkContext;
struct SymbolEntry;

// Enters the names of --defsym into the global table before any module is
// read, so that they resolve references and never bring a library module
// in; the names their values follow become references. A definition that
// leads back to itself through other definitions is error 42.
void enter_symbol_definitions(LinkContext& ctx);

// With --section-symbols, after the library search: defines every name
// still undefined of the form __start_NAME or __stop_NAME whose section
// NAME exists, as a label that placement gives the section's first address
// or the address one past its last byte.
void define_section_symbols(LinkContext& ctx);

// With --section-symbols and --explain, under error 9 for such a name whose
// section does not exist: a line that says so and names the closest section.
void explain_missing_section(LinkContext& ctx, const SymbolEntry& entry);

}  // namespace orv
