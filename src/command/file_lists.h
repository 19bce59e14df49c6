#pragma once

namespace orv {

struct LinkContext;

// Builds the relocatable file list from its field: every word upper-cased and
// ending in ".ROV". An empty field is error 5 "Non relocatable file name".
void set_rel_files(LinkContext& ctx, const char* field);

// Builds the library list from its field: every word upper-cased and ending
// in ".LIB", every flag 0. An empty field gives an empty list.
void set_lib_files(LinkContext& ctx, const char* field);

}  // namespace orv
