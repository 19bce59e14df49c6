#include "base/diagnostics.h"
#include "pass1/object_reader.h"

namespace orv {

int red_string(ImageCursor& file, char (&buffer)[NAME_LIMIT + 1]) {
    std::size_t kept = 0;
    if (!file.name(buffer, NAME_LIMIT, kept)) internal_error(kept < NAME_LIMIT ? "10" : "11");
    return int(kept);
}

}  // namespace orv
