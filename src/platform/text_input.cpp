#include "platform/text_input.h"

#include "platform/host_files.h"

namespace orv {

std::unique_ptr<TextInput> TextInput::open(std::string_view linker_name) {
    std::FILE* file = open_host_file(linker_name, "rb");
    if (file == nullptr) return nullptr;
    return std::unique_ptr<TextInput>(new TextInput(file, true));
}

std::unique_ptr<TextInput> TextInput::over_bytes(std::string bytes) {
    std::unique_ptr<TextInput> input(new TextInput(nullptr, false));
    input->bytes_ = std::move(bytes);
    return input;
}

TextInput::~TextInput() {
    if (owned_) std::fclose(file_);
}

int TextInput::next_byte() {
    if (file_ != nullptr) return std::fgetc(file_);
    if (position_ == bytes_.size()) return EOF;
    return static_cast<unsigned char>(bytes_[position_++]);
}

int TextInput::get() {
    if (ended_) return END;
    int c = next_byte();
    if (c == '\r') c = next_byte();
    if (c == EOF || c == 0x1A) {
        ended_ = true;
        return END;
    }
    return c;
}

}  // namespace orv
