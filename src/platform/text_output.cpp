#include "platform/text_output.h"

#include <cstdarg>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "platform/staged_files.h"

namespace orv {

std::unique_ptr<TextOutput> TextOutput::create(std::string_view linker_name) {
    return adopt(create_host_file(linker_name));
}

std::unique_ptr<TextOutput> TextOutput::adopt(std::FILE* file) {
    if (file == nullptr) return nullptr;
    return std::unique_ptr<TextOutput>(new TextOutput(file));
}

std::unique_ptr<TextOutput> TextOutput::create_staged(const std::string& final_path, std::string& written_path,
                                                      std::string& place_path) {
    std::FILE* file = open_staged_file(final_path, written_path, place_path);
    if (file == nullptr) return nullptr;
    return std::unique_ptr<TextOutput>(new TextOutput(file));
}

TextOutput::~TextOutput() {
    if (file_ == nullptr) return;
    flush_buffer();
    std::fclose(file_);
}

bool TextOutput::flush_buffer() {
    if (!buffer_.empty() && !failed_) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() || std::ferror(file_)) {
            failed_ = true;
        }
    }
    buffer_.clear();
    return !failed_;
}

bool TextOutput::print(const char* format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    bool ok;
    if (length < 0) {
        ok = false;
    } else if (std::size_t(length) < sizeof small) {
        ok = write(std::string_view(small, std::size_t(length)));
    } else {
        std::vector<char> large(std::size_t(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        ok = write(std::string_view(large.data(), std::size_t(length)));
    }
    va_end(again);
    return ok;
}

bool TextOutput::write(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t line_end = text.find('\n', start);
        if (line_end == std::string_view::npos) {
            buffer_.append(text.data() + start, text.size() - start);
            break;
        }
        buffer_.append(text.data() + start, line_end - start);
        buffer_.append("\r\n", 2);
        start = line_end + 1;
        if (buffer_.size() >= BUFFER_SIZE) flush_buffer();
    }
    if (buffer_.size() >= BUFFER_SIZE) flush_buffer();
    return !failed_;
}

bool TextOutput::write_bytes(std::string_view bytes) {
    if (!flush_buffer()) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() || std::ferror(file_)) failed_ = true;
    return !failed_;
}

bool TextOutput::put_char(char c) {
    return write(std::string_view(&c, 1));
}

bool TextOutput::close() {
    bool ok = flush_buffer() && !std::ferror(file_);
    if (std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    return ok;
}

}  // namespace orv
