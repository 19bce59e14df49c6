#pragma once
#include <cstdio>

namespace orv {

// Text input as the command file and the prompt answers are read: a carriage
// return is skipped, and the byte 0x1A ends the input like the end of file.
class TextInput {
public:
    static constexpr int END = -1;

    explicit TextInput(std::FILE* file) : file_(file) {}

    // The next character, or END.
    int get();

private:
    std::FILE* file_;
    bool ended_ = false;
};

}  // namespace orv
