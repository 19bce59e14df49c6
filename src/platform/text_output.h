#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace orv {

// An output text file as the linker's listings expect one: every "\n" is
// written as CR LF. The text is collected in one buffer and goes to the
// file BUFFER_SIZE bytes at a time, so a writer may hand over a record or a
// field at a time at no cost. A failed write is kept: every later write
// answers false, and closing reports whether all of the file reached the
// disk.
class TextOutput {
public:
    static constexpr std::size_t BUFFER_SIZE = 64 * 1024;

    // Creates (or truncates) the file named by the linker; null on failure.
    static std::unique_ptr<TextOutput> create(std::string_view linker_name);

    // Creates the file at the host path `final_path` under a temporary name
    // beside it (see open_staged_file for the two paths it gives). Null on
    // failure.
    static std::unique_ptr<TextOutput> create_staged(const std::string& final_path, std::string& written_path,
                                                     std::string& place_path);

    // Writes to a file already created, which it closes; null when `file` is.
    static std::unique_ptr<TextOutput> adopt(std::FILE* file);

    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // printf-style text; false when the write failed.
    bool print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool write(std::string_view text);
    bool put_char(char c);
    // Bytes as they are, without turning "\n" into CR LF: for a raw image.
    bool write_bytes(std::string_view bytes);

    // Closes the file; false when any data could not be written.
    bool close();

private:
    explicit TextOutput(std::FILE* file) : file_(file) { buffer_.reserve(BUFFER_SIZE + 2); }

    // Hands the buffered text to the file; false once a write has failed.
    bool flush_buffer();

    std::FILE* file_;
    std::string buffer_;
    bool failed_ = false;
};

}  // namespace orv
