#include "driver/diagnostics.h"
#include "pass1/object_reader.h"

namespace orv {

uint32_t red_number(BinaryInput& file, int width) {
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        int byte = file.get();
        if (byte == BinaryInput::END) internal_error("9");
        value = (value << 8) | uint32_t(byte);
    }
    return value;
}

int red_string(BinaryInput& file, char (&buffer)[NAME_LIMIT + 1]) {
    int kept = 0;
    for (;;) {
        int byte = file.get();
        if (byte == BinaryInput::END) internal_error(kept < NAME_LIMIT ? "10" : "11");
        if (byte == 0) break;
        if (kept < NAME_LIMIT) buffer[kept++] = char(byte);
    }
    buffer[kept] = '\0';
    return kept;
}

}  // namespace orv
