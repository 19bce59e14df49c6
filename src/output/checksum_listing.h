#pragma once

namespace orv {

struct LinkContext;
class TextOutput;

// The map file's list of the checksums, after the totals: each one's model,
// range, place, byte order and value. Nothing without --checksum.
void list_checksums(const LinkContext& ctx, TextOutput& map);

}  // namespace orv
