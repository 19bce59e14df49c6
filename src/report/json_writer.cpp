#include "report/json_writer.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace orv {
namespace {

// Bytes that a JSON string cannot hold as they are (see append_string).
constexpr std::array<bool, 256> NEEDS_ESCAPE = [] {
    std::array<bool, 256> table{};
    for (int byte = 0; byte < 256; ++byte) table[byte] = byte < 0x20 || byte >= 0x7F || byte == '"' || byte == '\\';
    return table;
}();

constexpr uint64_t ONES = 0x0101010101010101;
constexpr uint64_t HIGHS = 0x8080808080808080;

// Whether any byte of the word is below `limit` (at most 0x80).
constexpr uint64_t any_below(uint64_t word, uint64_t limit) { return (word - ONES * limit) & ~word & HIGHS; }

// Whether any of the eight bytes needs an escape, tested at once.
constexpr bool needs_escape(uint64_t word) {
    return ((word & HIGHS) | any_below(word, 0x20) | any_below(word ^ (ONES * 0x7F), 1) |
            any_below(word ^ (ONES * '"'), 1) | any_below(word ^ (ONES * '\\'), 1)) != 0;
}

}  // namespace

void JsonWriter::separate() {
    Level& level = levels_.back();
    if (level.one_line) {
        if (!level.empty) text_.put(',');
    } else {
        const std::size_t indent = 2 * levels_.size();
        char* at = text_.room(indent + 2);
        if (!level.empty) *at++ = ',';
        *at++ = '\n';
        std::memset(at, ' ', indent);
        text_.commit(at + indent);
    }
    level.empty = false;
}

void JsonWriter::open(char bracket, bool one_line) {
    element_start();
    text_.put(bracket);
    // Inside a one-line container everything stays on its line.
    bool inherited = !levels_.empty() && levels_.back().one_line;
    levels_.push_back(Level{one_line || inherited, true});
}

void JsonWriter::close(char bracket) {
    Level level = levels_.back();
    levels_.pop_back();
    if (!level.one_line && !level.empty) {
        const std::size_t indent = 2 * levels_.size();
        char* at = text_.room(indent + 1);
        *at++ = '\n';
        std::memset(at, ' ', indent);
        text_.commit(at + indent);
    }
    text_.put(bracket);
    if (levels_.empty()) text_.put('\n');
}

void JsonWriter::key(std::string_view name) {
    // Member names are the report's own plain words.
    element_start();
    const bool one_line = !levels_.empty() && levels_.back().one_line;
    char* at = text_.room(name.size() + 4);
    *at++ = '"';
    std::memcpy(at, name.data(), name.size());
    at += name.size();
    *at++ = '"';
    *at++ = ':';
    if (!one_line) *at++ = ' ';
    text_.commit(at);
    after_key_ = true;
}

void JsonWriter::append_string(std::string_view text) {
    // Most names need no escapes: they are copied while they are checked.
    {
        char* at = text_.room(text.size() + 2);
        *at++ = '"';
        std::size_t i = 0;
        for (; i + 8 <= text.size(); i += 8) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if (needs_escape(word)) break;
            std::memcpy(at + i, &word, 8);
        }
        for (; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (NEEDS_ESCAPE[byte]) break;
            at[i] = char(byte);
        }
        if (i == text.size()) {
            at[i] = '"';
            text_.commit(at + i + 1);
            return;
        }
    }
    // Every byte takes six characters at most (\u00XX), plus the quotes.
    char* at = text_.room(6 * text.size() + 2);
    *at++ = '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (!NEEDS_ESCAPE[byte]) {
            *at++ = c;
            continue;
        }
        *at++ = '\\';
        switch (c) {
        case '"': *at++ = '"'; break;
        case '\\': *at++ = '\\'; break;
        case '\n': *at++ = 'n'; break;
        case '\r': *at++ = 'r'; break;
        case '\t': *at++ = 't'; break;
        default:
            // Control characters and bytes outside ASCII (names are bytes of
            // no known encoding) are escaped so the text stays valid UTF-8.
            *at++ = 'u';
            at = put_hex(at, byte, 4);
        }
    }
    *at++ = '"';
    text_.commit(at);
}

void JsonWriter::append_string(const char* text) {
    // A short name without escapes is copied while its end is found; any
    // other goes the long way.
    constexpr std::size_t SHORT = 64;
    char* at = text_.room(SHORT + 2);
    *at++ = '"';
    for (std::size_t i = 0; i < SHORT; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (NEEDS_ESCAPE[byte]) {
            if (byte != 0) break;
            at[i] = '"';
            text_.commit(at + i + 1);
            return;
        }
        at[i] = char(byte);
    }
    append_string(std::string_view(text));
}

void JsonWriter::value(std::string_view text) {
    element_start();
    append_string(text);
}

void JsonWriter::value(const char* text) {
    if (text == nullptr) {
        null();
    } else {
        value(std::string_view(text));
    }
}

void JsonWriter::value(int64_t number) {
    element_start();
    text_.commit(put_decimal(text_.room(21), number));
}

void JsonWriter::value(bool flag) {
    element_start();
    text_.append(flag ? std::string_view("true") : std::string_view("false"));
}

void JsonWriter::null() {
    element_start();
    text_.append("null", 4);
}

}  // namespace orv
