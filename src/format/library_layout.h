#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orv {

// The fixed parts of a library file besides its tags.

// The library format text of the header: the only one there is.
constexpr std::string_view LIBRARY_FORMAT = "VER.A";

// Bytes at the end of a module trailer that no reader interprets.
constexpr int TRAILER_RESERVED = 13;

// Bytes an index entry takes besides its name: the value (labels 3 bytes,
// symbols 4, bit symbols a 2-byte mask and a 3-byte address). The index
// block counts each kind's bytes as these plus the name and its zero byte.
constexpr uint32_t INDEX_LABEL_FIXED = 3;
constexpr uint32_t INDEX_SYMBOL_FIXED = 4;
constexpr uint32_t INDEX_BIT_FIXED = 5;

// The bytes one index entry counts in its kind's sum.
constexpr uint32_t index_entry_bytes(uint32_t fixed, std::size_t name_length) {
    return fixed + uint32_t(name_length) + 1;
}

}  // namespace orv
