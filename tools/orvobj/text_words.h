#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "format/relocation_codes.h"

// The words of the object text form shared by the dumper and the builder,
// each beside the code the object holds for it.
namespace orvobj {

struct Word {
    uint8_t code;
    const char* word;
};

inline constexpr Word RELOCATION_TYPES[] = {
    {orv::REL_RELATIVE, "relative"},        {orv::REL_ZERO_PAGE, "zero-page"},
    {orv::REL_ADDRESS, "address"},          {orv::REL_SPECIAL_PAGE, "special-page"},
    {orv::REL_BIT_VALUE, "bit-value"},      {orv::REL_BIT_NUMBER, "bit-number"},
    {orv::REL_BIT_ADDRESS, "bit-address"},  {orv::REL_VALUE, "value"},
};

inline constexpr Word PREFIXES[] = {
    {orv::PREFIX_PLUS, "plus"}, {orv::PREFIX_NEGATE, "neg"},  {orv::PREFIX_NOT, "not"},
    {orv::PREFIX_COMPLEMENT, "cpl"}, {orv::PREFIX_SIZE, "size"}, {orv::PREFIX_BANK, "bank"},
    {orv::PREFIX_LOW16, "low16"}, {orv::PREFIX_HIGH, "high"},  {orv::PREFIX_LOW, "low"},
};

inline constexpr Word OPERATORS[] = {
    {orv::OP_ADD, "+"}, {orv::OP_SUBTRACT, "-"}, {orv::OP_MULTIPLY, "*"}, {orv::OP_DIVIDE, "/"},
    {orv::OP_REMAINDER, "%"}, {orv::OP_AND, "&"}, {orv::OP_OR, "|"}, {orv::OP_XOR, "^"},
    {orv::OP_SHIFT_LEFT, "<<"}, {orv::OP_SHIFT_RIGHT, ">>"},
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
