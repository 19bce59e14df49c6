#pragma once
#include "platform/binary_input.h"

namespace orv {

struct LinkContext;

// Tags that open the records of a module's pass-2 part.
constexpr int TAG_RELOCATION = 0xF7;
constexpr int TAG_CONTENTS = 0xF8;

// True for the tags that may follow the relocation and contents records:
// the debug records and the end of the module.
bool is_debug_or_end_tag(int tag);

// Streams a module's contents records into the HEX file, patching every
// relocated field on the way. `code_stream` stands just after the first
// contents tag, `reloc_stream` (null when the module has no relocation
// records) just after the first relocation tag. Returns with the tag that
// ended the contents in next_tag.
void process_contents(LinkContext& ctx, BinaryInput& code_stream, BinaryInput* reloc_stream);

// Fetches and evaluates the next relocation entry unless one is pending:
// 1 when an entry is pending, 0 when none is available at this point.
int next_relocation(LinkContext& ctx, BinaryInput& reloc_stream);

// Reads past one relocation record (after its tag) checking only its shape.
void skip_relocation_record(BinaryInput& stream);

}  // namespace orv
