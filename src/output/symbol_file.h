#pragma once

namespace orv {

struct LinkContext;

// Writes the global part of the symbol file: section information and globals.
void write_sym_globals(LinkContext& ctx);

}  // namespace orv
