#pragma once
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "report/report_file.h"
#include "report/text_buffer.h"
#include "report/xml_text.h"

namespace orv {

// A coordinate of the picture, written to a tenth of a pixel.
struct Coord {
    double value;
};

// Text of a page built by appending, without printf: a picture of a big link
// has tens of thousands of elements. With a file, what is built goes to the
// file in large pieces, so that the whole page is never held at once.
class Markup {
public:
    explicit Markup(ReportFile* file = nullptr) : text_(file) {}

    // The text goes to the file in large pieces as it is built; call this at the end.
    void flush() { text_.flush(); }

    Markup& operator<<(std::string_view text) {
        text_.append(text);
        return *this;
    }
    // Literals are copied with their length known when compiling.
    template <std::size_t N>
    Markup& operator<<(const char (&text)[N]) {
        char* at = text_.room(N - 1);
        std::memcpy(at, text, N - 1);
        text_.commit(at + (N - 1));
        return *this;
    }
    Markup& operator<<(const std::string& text) { return *this << std::string_view(text); }
    Markup& operator<<(int64_t number) {
        text_.commit(put_decimal(text_.room(21), number));
        return *this;
    }
    Markup& operator<<(int number) { return *this << int64_t(number); }
    Markup& operator<<(char) = delete;  // would print as a number
    Markup& operator<<(Coord coord) {
        // Coordinates are not negative: adding a half and cutting rounds them.
        const double scaled = coord.value * 10.0;
        const int64_t tenths = scaled >= 0 ? int64_t(scaled + 0.5) : std::llround(scaled);
        char* at = put_decimal(text_.room(24), tenths / 10);
        if (tenths % 10 != 0) {
            *at++ = '.';
            *at++ = char('0' + (tenths < 0 ? -(tenths % 10) : tenths % 10));
        }
        text_.commit(at);
        return *this;
    }

    // Text as XML character data or attribute value (see xml_text). Text
    // without such bytes, nearly all of it, is copied while it is checked.
    Markup& escaped(std::string_view text) {
        char* at = text_.room(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte < 0x20 || byte >= 0x7F || byte == '&' || byte == '<' || byte == '>' || byte == '"' ||
                byte == '\'') {
                text_.append(xml_text(text));
                return *this;
            }
            at[i] = char(byte);
        }
        text_.commit(at + text.size());
        return *this;
    }
    // A number in hexadecimal with at least `digits` digits.
    Markup& hex(int64_t value, int digits) {
        text_.commit(put_hex(text_.room(16), static_cast<uint64_t>(value), digits));
        return *this;
    }

    std::string_view text() const { return text_.text(); }

private:
    TextBuffer text_;
};

}  // namespace orv
