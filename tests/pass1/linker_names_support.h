#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"

// Helpers of the tests of the names the linker defines itself.
namespace orv::test::linker_names {

using namespace orvfixture;

inline Term k(uint32_t value, uint8_t prefix = NO_PREFIX) { return constant_term(value, prefix); }

// An expression whose dropped leading term is the constant 0.
inline Expr e(Term first) { return Expr(k(0), std::move(first)); }

// The image of MAIN.HEX from its lowest address, as objcopy reads it.
inline Bytes image_of(const TempDir& dir) {
    HexReadback image = read_back_hex(dir / "MAIN.HEX");
    EXPECT_TRUE(image.accepted) << image.messages;
    return image.bytes;
}

// The little-endian value of `width` bytes at `offset`.
inline uint32_t field(const Bytes& image, std::size_t offset, std::size_t width) {
    uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = value << 8 | (offset + i < image.size() ? image[offset + i] : 0u);
    }
    return value;
}

// A text file of the linker without its carriage returns and closing 0x1A.
inline std::string plain_text(const std::string& text) {
    std::string plain;
    for (char c : text) {
        if (c != '\r' && c != '\x1A') plain += c;
    }
    return plain;
}

// The lines of a map file's listing that follows `heading`, up to the next
// empty lines.
inline std::string map_listing(const TempDir& dir, const std::string& heading) {
    const std::string map = plain_text(dir.read("MAIN.MAP"));
    const std::size_t start = map.find(heading + "\n\n");
    if (start == std::string::npos) return "(no " + heading + ")";
    const std::size_t body = start + heading.size() + 2;
    return map.substr(body, map.find("\n\n", body) - body);
}

}  // namespace orv::test::linker_names
