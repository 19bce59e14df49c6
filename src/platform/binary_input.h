#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

namespace orv {

// A buffered binary input file with byte reads and seeks: the byte source of
// every object and library reader. Opening goes through the host name layer.
class BinaryInput {
public:
    static constexpr int END = -1;

    // The file named by the linker, or null when it cannot be opened or is
    // not a regular file.
    static std::unique_ptr<BinaryInput> open(std::string_view linker_name);

    ~BinaryInput();
    BinaryInput(const BinaryInput&) = delete;
    BinaryInput& operator=(const BinaryInput&) = delete;

    // The next byte (0 to 255), or END at the end of the file.
    int get() { return getc_unlocked(file_); }

    // Offset of the next byte from the start of the file.
    long tell() const { return std::ftell(file_); }

    // True when a read has met the end of the file since the last seek.
    bool ended() const { return std::feof(file_) != 0; }

    // Absolute and relative positioning; false when the host refuses.
    bool seek(long offset);
    bool skip(long delta);

private:
    explicit BinaryInput(std::FILE* file);
    std::FILE* file_;
};

}  // namespace orv
