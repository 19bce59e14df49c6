#pragma once
#include <cstddef>
#include <cstdint>

#include "format/image_cursor.h"

namespace orv {

struct LinkContext;
struct LibModule;

// Reads every module's contents again, relocates them and streams the bytes
// into the HEX file, in the fixed module order.
void pass2(LinkContext& ctx);

// The four steps of pass 2, in this order.
void pass2_rel_files(LinkContext& ctx);
void pass2_requested_files(LinkContext& ctx);
void pass2_libraries(LinkContext& ctx);
void pass2_requested_libs(LinkContext& ctx);

// The first step for one relocatable file alone: the `i`th of the list.
void pass2_rel_file(LinkContext& ctx, std::size_t i);

// One library module, read through the library's two open handles.
void pass2_module(LinkContext& ctx, const LibModule& module, ImageCursor& code_stream,
                  ImageCursor& reloc_stream);

// Carries the stream past relocation records to the first contents record:
// 1 with the stream just after its tag, 0 when the module has none.
int find_contents(ImageCursor& code_stream);

// Reads one tag: 1 when it opens a relocation record, 0 when it is another
// tag that may follow the pass-1 part.
int starts_with_relocation(ImageCursor& reloc_stream);

// Gives the units of a library module the module's own source name.
void fix_member_units(LinkContext& ctx, const LibModule& module);

}  // namespace orv
