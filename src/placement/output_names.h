#pragma once

namespace orv {

struct LinkContext;

// Fills in the output directory and base name that -O and -F left unset,
// from the first relocatable file.
void set_output_names(LinkContext& ctx);

// Creates the HEX file, and the map and symbol files when wanted.
void open_output_files(LinkContext& ctx);

}  // namespace orv
