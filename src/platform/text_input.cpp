#include "platform/text_input.h"

#include "platform/host_files.h"

namespace orv {

std::unique_ptr<TextInput> TextInput::open(std::string_view linker_name) {
    std::FILE* file = open_host_file(linker_name, "rb");
    if (file == nullptr) return nullptr;
    return std::unique_ptr<TextInput>(new TextInput(file, true));
}

TextInput::~TextInput() {
    if (owned_) std::fclose(file_);
}

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
