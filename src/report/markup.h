#pragma once
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "report/report_file.h"
#include "report/xml_text.h"

namespace orv {

// A coordinate of the picture, written to a tenth of a pixel.
struct Coord {
    double value;
};

// Text of a page built by appending, without printf: a picture of a big link
// has tens of thousands of elements. With a file, what is built goes to the
// file in pieces, so that the whole page is never held at once.
class Markup {
public:
    explicit Markup(ReportFile* file = nullptr) : file_(file) {}

    // Hands a large enough piece to the file; call between elements.
    void spill() {
        if (file_ != nullptr && text_.size() >= SPILL_SIZE) flush();
    }
    void flush() {
        if (file_ == nullptr) return;
        file_->write(text_);
        text_.clear();
    }

    Markup& operator<<(std::string_view text) {
        text_ += text;
        return *this;
    }
    Markup& operator<<(const char* text) {
        text_ += text;
        return *this;
    }
    Markup& operator<<(const std::string& text) {
        text_ += text;
        return *this;
    }
    Markup& operator<<(int64_t number) {
        char digits[24];
        auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        text_.append(digits, end);
        return *this;
    }
    Markup& operator<<(int number) { return *this << int64_t(number); }
    Markup& operator<<(char) = delete;  // would print as a number
    Markup& operator<<(Coord coord) {
        const int64_t tenths = std::llround(coord.value * 10.0);
        *this << tenths / 10;
        if (tenths % 10 != 0) {
            text_ += '.';
            text_ += char('0' + (tenths < 0 ? -(tenths % 10) : tenths % 10));
        }
        return *this;
    }

    // Text as XML character data or attribute value (see xml_text).
    Markup& escaped(std::string_view text) {
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte >= 0x7F || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'') {
                text_ += xml_text(text);
                return *this;
            }
        }
        text_ += text;
        return *this;
    }
    // A number in hexadecimal with at least `digits` digits.
    Markup& hex(int64_t value, int digits) {
        static const char DIGITS[] = "0123456789ABCDEF";
        char text[20];
        int length = 0;
        auto rest = static_cast<uint64_t>(value);
        do {
            text[length++] = DIGITS[rest & 0xF];
            rest >>= 4;
        } while (rest != 0 && length < 16);
        while (length < digits) text[length++] = '0';
        char ordered[20];
        for (int i = 0; i < length; ++i) ordered[i] = text[length - 1 - i];
        text_.append(ordered, std::size_t(length));
        return *this;
    }

    std::string& text() { return text_; }

private:
    static constexpr std::size_t SPILL_SIZE = 1 << 16;
    ReportFile* file_;
    std::string text_;
};

}  // namespace orv
