#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "fixture/object_writer.h"

// Bounds-checked reading of a file held in memory. Every read that would run
// past the end, and every check that fails, throws FormatError with the
// offset at which the fault was found.
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
    ByteCursor(const Bytes& bytes, std::size_t start) : bytes_(bytes), pos_(start) {}

    std::size_t pos() const { return pos_; }
    bool at_end() const { return pos_ >= bytes_.size(); }
    std::size_t remaining() const { return pos_ < bytes_.size() ? bytes_.size() - pos_ : 0; }

    uint8_t byte(const char* what) {
        if (pos_ >= bytes_.size()) throw FormatError(pos_, std::string("file ends inside ") + what);
        return bytes_[pos_++];
    }

    // A big-endian number of 1 to 4 bytes.
    uint32_t number(int width, const char* what) {
        uint32_t value = 0;
        for (int i = 0; i < width; ++i) value = value << 8 | byte(what);
        return value;
    }

    // A zero-terminated name.
    std::string name(const char* what) {
        std::string text;
        for (uint8_t c = byte(what); c != 0; c = byte(what)) text += char(c);
        return text;
    }

    void skip(std::size_t count, const char* what) {
        if (count > remaining()) throw FormatError(bytes_.size(), std::string("file ends inside ") + what);
        pos_ += count;
    }

    // The next byte must be `tag`; `what` names the record it opens.
    void expect(uint8_t tag, const char* what) {
        std::size_t at = pos_;
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
    const Bytes& bytes_;
    std::size_t pos_;
};

// A unit record's number must count the records of its run from 0.
inline void check_unit_number(uint32_t number, uint32_t expected, std::size_t at) {
    if (number != expected) {
        throw FormatError(at, "unit number " + std::to_string(number) + " where " + std::to_string(expected) + " belongs");
    }
}

// The linker reads a bit symbol's mask as a bit number 0 to 7.
inline void check_bit_mask(uint32_t mask, std::size_t at) {
    if (mask == 0 || mask > 0x80 || (mask & (mask - 1)) != 0) {
        throw FormatError(at, "bit mask " + ByteCursor::hex2(mask) + " is not a single bit");
    }
}

}  // namespace orvlib
