#pragma once
#include <cstdint>

#include "pass1/sections.h"

namespace orv {

// Addresses and sizes come from the files as unsigned numbers of up to 32
// bits. Placement adds them up in 64 bits, so a huge size is seen as the
// overflow it is instead of wrapping round, and stores the results back into
// the 32-bit fields, read as unsigned. A result past 0xFFFFFFFF (already an
// error 22) is held at 0xFFFFFFFF, so that it still lies above everything
// below it when sections are compared and numbered.

inline int64_t unit_address(const Unit& unit) { return static_cast<uint32_t>(unit.address); }
inline int64_t unit_size(const Unit& unit) { return static_cast<uint32_t>(unit.size); }
inline int64_t section_length(const Section& section) { return static_cast<uint32_t>(section.length); }

inline int32_t to_field(int64_t value) {
    if (value < 0) value = 0;
    if (value > int64_t(UINT32_MAX)) value = UINT32_MAX;
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

}  // namespace orv
