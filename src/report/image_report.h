#pragma once

namespace orv {

class JsonWriter;
struct LinkContext;

// The link report's members of the image options: `fill` (the value and the
// addresses filled, or null) and `checksums` (every checksum in the order
// given, with its value).
void write_image_members(JsonWriter& json, const LinkContext& ctx);

}  // namespace orv
