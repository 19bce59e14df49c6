#pragma once
#include <cstdio>

namespace orv {

struct LinkContext;

// The title line: "Orvan Family LINKER V.4.00.00 ".
extern const char* const BANNER_TITLE[3];

// Sets up the pools and the address-range defaults.
void init_linker(LinkContext& ctx);

// Writes the banner to standard error unless -. was given.
void print_banner(LinkContext& ctx);

// Writes the title line alone and a line end to `stream`.
void print_title_line(std::FILE* stream);

// The version query -V: the title line on standard error.
void print_version(LinkContext& ctx);

}  // namespace orv
