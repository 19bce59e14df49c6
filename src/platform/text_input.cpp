#include "platform/text_input.h"

namespace orv {

int TextInput::get() {
    if (ended_) return END;
    int c = std::fgetc(file_);
    if (c == '\r') c = std::fgetc(file_);
    if (c == EOF || c == 0x1A) {
        ended_ = true;
        return END;
    }
    return c;
}

}  // namespace orv
