#include "base/text_helpers.h"

#include <cstdio>

namespace orv {

bool is_field_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_lower_hex(char c) { return c >= 'a' && c <= 'f'; }
bool is_upper_hex(char c) { return c >= 'A' && c <= 'F'; }
bool is_hex(char c) { return (c >= '0' && c <= '9') || is_lower_hex(c) || is_upper_hex(c); }

int count_words(const char* text) {
    int words = 0;
    bool in_word = false;
    for (; *text != '\0'; ++text) {
        bool space = is_field_space(*text);
        if (!space && !in_word) ++words;
        in_word = !space;
    }
    return words;
}

uint32_t get_hex(const char** cursor) {
    uint32_t value = 0;
    const char* p = *cursor;
    while (is_hex(*p)) {
        uint32_t digit = *p >= '0' && *p <= '9' ? uint32_t(*p - '0')
                         : is_lower_hex(*p)     ? uint32_t(*p - 'a' + 10)
                                                : uint32_t(*p - 'A' + 10);
        value = value * 16u + digit;
        ++p;
    }
    *cursor = p;
    return value;
}

uint32_t get_hex(char** cursor) {
    const char* p = *cursor;
    uint32_t value = get_hex(&p);
    *cursor += p - *cursor;
    return value;
}

std::optional<uint32_t> parse_hex_value(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 8) return std::nullopt;
    for (char c : text) {
        if (!is_hex(c)) return std::nullopt;
    }
    const char* cursor = text.data();
    return get_hex(&cursor);
}

char to_upper_ascii(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

std::string hex_text(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string byte_count(int64_t bytes) { return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes"); }

}  // namespace orv
