#include "base/diagnostics.h"
#include "base/link_context.h"
#include "pass1/object_reader.h"

namespace orv {

int red_string(ImageCursor& file, char (&buffer)[NAME_LIMIT + 1]) {
    std::size_t kept = 0;
    if (!file.name(buffer, NAME_LIMIT, kept)) internal_error(kept < NAME_LIMIT ? "10" : "11");
    return int(kept);
}

const char* lasting_name(LinkContext& ctx, const ImageCursor& file, std::string_view name, const char* buffer) {
    return file.image_kept() && name.data() != buffer ? name.data() : ctx.str_save(name);
}

}  // namespace orv
