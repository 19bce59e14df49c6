#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The words of the object text form shared by the dumper and the builder.
namespace orvobj {

struct Word {
    uint8_t code;
    const char* word;
};

inline constexpr Word RELOCATION_TYPES[] = {
    {0x04, "relative"},    {0x10, "zero-page"},  {0x11, "address"},     {0x12, "special-page"},
    {0x13, "bit-value"},   {0x14, "bit-number"}, {0x15, "bit-address"}, {0xFF, "value"},
};

inline constexpr Word PREFIXES[] = {
    {0x2B, "plus"}, {0x2D, "neg"},   {0x21, "not"},  {0x7E, "cpl"}, {0x80, "size"},
    {0x81, "bank"}, {0x82, "low16"}, {0x83, "high"}, {0x84, "low"},
};

inline constexpr Word OPERATORS[] = {
    {0x2B, "+"}, {0x2D, "-"}, {0x2A, "*"}, {0x2F, "/"},  {0x25, "%"},
    {0x26, "&"}, {0x7C, "|"}, {0x5E, "^"}, {0x3C, "<<"}, {0x3E, ">>"},
};

template <std::size_t N>
const char* word_of(const Word (&table)[N], uint8_t code) {
    for (const Word& w : table) {
        if (w.code == code) return w.word;
    }
    return nullptr;
}

template <std::size_t N>
std::optional<uint8_t> code_of(const Word (&table)[N], std::string_view word) {
    for (const Word& w : table) {
        if (word == w.word) return w.code;
    }
    return std::nullopt;
}

// A name as a quoted text: printable ASCII as it is, '"' and '\' escaped,
// every other byte as \xHH.
std::string quote(std::string_view name);

}  // namespace orvobj
