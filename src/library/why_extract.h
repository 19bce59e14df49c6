#pragma once

namespace orv {

struct LinkContext;

// With --why-extract=FILE: one tab-separated line per library module taken
// in, with the module that first needed it, the module taken in and the
// name that brought it in, after the header "reference extracted symbol".
// "-" writes to standard output. Modules are named FILE or
// LIBRARY(MODULE). A file that cannot be created is error 15.
void write_why_extract(LinkContext& ctx);

}  // namespace orv
