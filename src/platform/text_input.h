#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace orv {

// Text input as the command file and the prompt answers are read: a carriage
// return is skipped (the character after it is taken instead), and the byte
// 0x1A ends the input like the end of file.
class TextInput {
public:
    static constexpr int END = -1;

    // Reads from a stream the caller owns (the console's standard input).
    explicit TextInput(std::FILE* file) : file_(file) {}

    // Opens the file named by the linker for reading; null when it cannot be
    // opened or names a directory. The file is closed with the object.
    static std::unique_ptr<TextInput> open(std::string_view linker_name);

    // Reads the given bytes as the contents of a file.
    static std::unique_ptr<TextInput> over_bytes(std::string bytes);

    ~TextInput();
    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;

    // The next character (0 to 255), or END.
    int get();

private:
    TextInput(std::FILE* file, bool owned) : file_(file), owned_(owned) {}

    int next_byte();

    std::FILE* file_;
    std::string bytes_;  // read instead of a file when file_ is null
    std::size_t position_ = 0;
    bool owned_ = false;
    bool ended_ = false;
};

}  // namespace orv
