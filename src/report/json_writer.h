#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/report_file.h"

namespace orv {

// Builds a JSON text in the order its members are written, one member or
// element to a line, except in containers opened as one-liners, which are
// written without blanks (a big link has tens of thousands of them).
class JsonWriter {
public:
    // With a file, the text goes to it in pieces as it grows; `finish` writes the rest.
    explicit JsonWriter(ReportFile* file = nullptr) : file_(file) {}
    void finish() {
        if (file_ != nullptr) file_->write(text_);
        text_.clear();
    }

    void begin_object(bool one_line = false) { open('{', one_line); }
    void end_object() { close('}'); }
    void begin_array(bool one_line = false) { open('[', one_line); }
    void end_array() { close(']'); }

    // The name of the object member whose value comes next.
    void key(std::string_view name);

    void value(std::string_view text);
    void value(const char* text);  // null writes null
    void value(int64_t number);
    void value(int number) { value(int64_t(number)); }
    void value(bool flag);
    void null();

    // Shorthands for a member with its value.
    template <typename T>
    void member(std::string_view name, T v) {
        key(name);
        value(v);
    }

    const std::string& text() const { return text_; }

private:
    struct Level {
        bool one_line;
        bool empty;
    };
    void open(char bracket, bool one_line);
    void close(char bracket);
    void element_start();  // separator and line break before a value
    bool level_is_one_line() const;
    void append_string(std::string_view text);

    static constexpr std::size_t SPILL_SIZE = 1 << 16;
    ReportFile* file_;
    std::string text_;
    std::vector<Level> levels_;
    bool after_key_ = false;
};

}  // namespace orv
