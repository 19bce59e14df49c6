#pragma once
#include <cstdint>
#include <vector>

namespace orv {

// What holds each byte of the image.
enum class ImageByte : uint8_t { GAP, CONTENTS, FILL, CHECKSUM };

// The image of the whole target memory, kept beside the HEX stream when an
// image option asks for it: every byte pass 2 writes, with what holds it.
// Addresses wrap at the size, as the HEX file keeps only their low bits.
struct FlashImage {
    explicit FlashImage(uint32_t size) : bytes(size, 0xFF), kinds(size, ImageByte::GAP), mask(size - 1) {}

    void put(uint32_t address, uint8_t byte, ImageByte kind) {
        bytes[address & mask] = byte;
        kinds[address & mask] = kind;
    }

    std::vector<uint8_t> bytes;  // gaps read as erased flash, 0xFF
    std::vector<ImageByte> kinds;
    uint32_t mask;  // the size less 1; the size is a power of two
};

// The value each checksum came to, in the order they were given.
struct ImageResults {
    std::vector<uint32_t> checksum_values;
    // The addresses filled: the fill range as given, or the one the bytes written span.
    int64_t fill_start = 0;
    int64_t fill_end = -1;
};

}  // namespace orv
