#pragma once
#include "format/image_cursor.h"

namespace orv {

struct LinkContext;

// Streams a module's contents records into the HEX file, patching every
// relocated field on the way. `code_stream` stands just after the first
// contents tag, `reloc_stream` (null when the module has no relocation
// records) just after the first relocation tag. Returns with the tag that
// ended the contents in next_tag.
void process_contents(LinkContext& ctx, ImageCursor& code_stream, ImageCursor* reloc_stream);

// Fetches and evaluates the next relocation entry unless one is pending:
// 1 when an entry is pending, 0 when none is available at this point.
int next_relocation(LinkContext& ctx, ImageCursor& reloc_stream);

// Reads past one relocation record (after its tag) checking only its shape.
void skip_relocation_record(ImageCursor& stream);

}  // namespace orv
