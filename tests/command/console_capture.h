#pragma once
#include <cstdio>
#include <optional>
#include <string>

#include "driver/diagnostics.h"
#include "platform/console.h"

namespace orv::test {

// Console streams for an in-process link: standard input holds the given
// text, standard output and standard error are collected in memory.
class ConsoleCapture {
public:
    explicit ConsoleCapture(const std::string& input = "");
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    Console console() const { return {in_, out_, err_}; }
    std::string out();
    std::string err();

private:
    std::FILE* in_;
    std::FILE* out_;
    std::FILE* err_;
    char* out_text_ = nullptr;
    char* err_text_ = nullptr;
    std::size_t out_size_ = 0;
    std::size_t err_size_ = 0;
};

// The fatal error that `action` ends with, or nothing when it returns.
template <typename Action>
std::optional<LinkError> fatal_error_of(Action&& action) {
    try {
        action();
    } catch (const LinkError& error) {
        return error;
    }
    return std::nullopt;
}

}  // namespace orv::test
