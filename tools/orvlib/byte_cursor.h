#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fixture/object_writer.h"
#include "format/image_cursor.h"
#include "format/record_walk.h"

// Bounds-checked reading of a file held in memory, through the linker's own
// image cursor. Every read that would run past the end, and every check that
// fails, throws FormatError with the offset at which the fault was found.
namespace orvlib {

using orvfixture::Bytes;

class FormatError : public std::runtime_error {
public:
    FormatError(std::size_t offset, const std::string& message)
        : std::runtime_error(message), offset_(offset) {}
    std::size_t offset() const { return offset_; }

private:
    std::size_t offset_;
};

class ByteCursor {
public:
    ByteCursor(const Bytes& bytes, std::size_t start)
        : image_(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) {
        image_.seek(long(start));
    }

    std::size_t pos() const { return std::size_t(image_.tell()); }

    // The cursor itself, for the record walkers the linker shares.
    orv::ImageCursor& image() { return image_; }

    // The fault of a read that met the end of the file inside `what`.
    FormatError ended(const char* what) const {
        return FormatError(image_.size(), std::string("file ends inside ") + what);
    }

    uint8_t byte(const char* what) {
        int c = image_.get();
        if (c == orv::ImageCursor::END) throw ended(what);
        return uint8_t(c);
    }

    // A big-endian number of 1 to 4 bytes.
    uint32_t number(int width, const char* what) {
        uint32_t value = 0;
        if (!image_.number(width, value)) throw ended(what);
        return value;
    }

    // A zero-terminated name.
    std::string name(const char* what) {
        std::string_view text;
        if (!image_.name(text)) throw ended(what);
        return std::string(text);
    }

    void skip(std::size_t count, const char* what) {
        std::size_t rest = pos() < image_.size() ? image_.size() - pos() : 0;
        if (count > rest) throw ended(what);
        image_.skip(long(count));
    }

    // The next byte must be `tag`; `what` names the record it opens.
    void expect(uint8_t tag, const char* what) {
        std::size_t at = pos();
        uint8_t found = byte(what);
        if (found != tag) throw FormatError(at, std::string("expected ") + what + " (tag " + hex2(tag) + "), found " + hex2(found));
    }

    // "0xHH", or "0xHHHH" for a value above 0xFF.
    static std::string hex2(uint32_t value) {
        static const char digits[] = "0123456789ABCDEF";
        std::string text = "0x";
        for (int shift = value > 0xFF ? 12 : 4; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
        return text;
    }

private:
    orv::ImageCursor image_;
};

// A unit record's number must count the records of its run from 0.
inline void check_unit_number(uint32_t number, uint32_t expected, std::size_t at) {
    if (number != expected) {
        throw FormatError(at, "unit number " + std::to_string(number) + " where " + std::to_string(expected) + " belongs");
    }
}

// The linker reads a bit symbol's mask as a bit number 0 to 7.
inline void check_bit_mask(uint32_t mask, std::size_t at) {
    if (orv::bit_number_of_mask(mask) < 0) {
        throw FormatError(at, "bit mask " + ByteCursor::hex2(mask) + " is not a single bit");
    }
}

}  // namespace orvlib
