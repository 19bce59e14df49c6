#include "platform/binary_input.h"

#include "platform/host_files.h"

namespace orv {

std::unique_ptr<BinaryInput> BinaryInput::open(std::string_view linker_name) {
    std::FILE* file = open_input_file(linker_name);
    if (file == nullptr) return nullptr;
    return std::unique_ptr<BinaryInput>(new BinaryInput(file));
}

BinaryInput::BinaryInput(std::FILE* file) : file_(file) {
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

BinaryInput::~BinaryInput() { std::fclose(file_); }

bool BinaryInput::seek(long offset) {
    return offset >= 0 && std::fseek(file_, offset, SEEK_SET) == 0;
}

bool BinaryInput::skip(long delta) {
    return std::fseek(file_, delta, SEEK_CUR) == 0 && std::ftell(file_) >= 0;
}

}  // namespace orv
