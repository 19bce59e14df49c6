#pragma once
#include <cstddef>
#include <cstdint>

#include "format/image_cursor.h"
#include "library/library_state.h"
#include "pass1/symbols.h"

namespace orv {

struct LinkContext;

// Counts a definition's name of `length` bytes against the index block's
// name bytes while index_mode is on; a name that does not fit is internal
// error point "23".
void index_name_check(LinkContext& ctx, std::size_t length);

// Reads one open library file (named by current_file, numbered by
// library_index) and takes in every module that defines a still-undefined
// name. The caller closes the file.
void read_library(LinkContext& ctx, ImageCursor& file);

// The steps of read_library, each reading from the current position.
uint32_t red_l_head(LinkContext& ctx, ImageCursor& file);  // returns the module count
void red_l_tbl(LinkContext& ctx, ImageCursor& file);
void red_l_pub(LinkContext& ctx, ImageCursor& file);

// True when the module entry being read was taken in by an earlier cycle.
bool module_loaded(const LinkContext& ctx);

// The first global entry, in name order, that is still undefined and that the
// module's index defines; null when the module is not needed. Keeps with
// each index entry the global entry it found.
const SymbolEntry* module_needed(LinkContext& ctx);

// Moves the index's definitions into the global table, right after
// module_needed looked their names up.
void enter_index(LinkContext& ctx);

}  // namespace orv
