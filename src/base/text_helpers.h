#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// Whitespace of the command fields: blank, tab, line feed, vertical tab,
// form feed, carriage return.
bool is_field_space(char c);

bool is_hex(char c);
bool is_lower_hex(char c);
bool is_upper_hex(char c);

// Number of maximal runs of non-whitespace characters.
int count_words(const char* text);

// Reads the hexadecimal digits at *cursor, advancing past them. Higher digits
// shift out of the 32-bit value; with no digit the value is 0 and the cursor
// does not move.
uint32_t get_hex(const char** cursor);
uint32_t get_hex(char** cursor);

// One to eight hexadecimal digits after an optional "0x", and nothing else;
// none for any other text.
std::optional<uint32_t> parse_hex_value(std::string_view text);

// `value` in upper-case hexadecimal, at least `digits` digits.
std::string hex_text(uint64_t value, int digits);

// A count of bytes as a sentence says it: "1 byte", "2 bytes".
std::string byte_count(int64_t bytes);

// Upper-cases a to z only.
char to_upper_ascii(char c);

}  // namespace orv
