#pragma once

namespace orv {

struct LinkContext;

// Builds the section information table from its field: items "NAME" or
// "NAME=HEX" separated by whitespace, in placement order.
void set_section_info(LinkContext& ctx, const char* field);

// Error 3 for a section that the section information names twice.
[[noreturn]] void fail_section_named_twice(LinkContext& ctx, const char* section);

}  // namespace orv
