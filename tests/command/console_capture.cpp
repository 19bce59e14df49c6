#include "command/console_capture.h"

#include <cstdlib>
#include <stdexcept>

namespace orv::test {

ConsoleCapture::ConsoleCapture(const std::string& input) {
    in_ = std::tmpfile();
    out_ = open_memstream(&out_text_, &out_size_);
    err_ = open_memstream(&err_text_, &err_size_);
    if (in_ == nullptr || out_ == nullptr || err_ == nullptr) {
        throw std::runtime_error("console streams");
    }
    std::fwrite(input.data(), 1, input.size(), in_);
    std::rewind(in_);
}

ConsoleCapture::~ConsoleCapture() {
    std::fclose(in_);
    std::fclose(out_);
    std::fclose(err_);
    std::free(out_text_);
    std::free(err_text_);
}

std::string ConsoleCapture::out() {
    std::fflush(out_);
    return std::string(out_text_, out_size_);
}

std::string ConsoleCapture::err() {
    std::fflush(err_);
    return std::string(err_text_, err_size_);
}

}  // namespace orv::test
