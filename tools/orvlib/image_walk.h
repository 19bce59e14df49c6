#pragma once
#include <cstddef>

#include "orvlib/byte_cursor.h"

// Walks one relocatable image record by record, the way the linker reads it
// in its two passes, to find where the image ends and where its relocation
// and contents records begin.
namespace orvlib {

// Offsets in the walked file; `first_relocation` and `first_contents` are
// the offsets of the first F7 and F8 tags, 0 when the image has none.
struct ImageExtent {
    std::size_t start = 0;
    std::size_t end = 0;  // one past the end tag FF
    std::size_t first_relocation = 0;
    std::size_t first_contents = 0;
};

// Walks the image that starts at `start` up to its end tag; throws
// FormatError at the first fault in its records: an unknown tag, operand or
// operator, a record cut short, unit records not numbered from 0 in their
// run, a bit mask that is not a single bit, relocation or contents records
// after the debug records, no end record.
ImageExtent walk_image(const Bytes& bytes, std::size_t start);

}  // namespace orvlib
