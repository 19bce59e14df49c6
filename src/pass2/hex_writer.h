#pragma once
#include <cstddef>
#include <cstdint>

namespace orv {

struct LinkContext;

// The Intel-HEX image is written as the bytes come, one data record at a
// time: a record holds at most 16 bytes and never crosses a 16-byte
// boundary. With -BANK an extended segment address record goes before the
// first record of every new 64 KiB bank.

// Resets the writer, and starts the image when an image option asks for
// one; called once before the first module.
void hex_init(LinkContext& ctx);

// Starts a data block at `address`; the record being built is empty here.
void hex_start(LinkContext& ctx, int32_t address);

// Appends one byte (0 to 255) at the current address; closes the record
// after an address of the form 16k + 15. With an image option the byte goes
// into the image too.
void hex_put_byte(LinkContext& ctx, int byte);

// Writes `count` bytes from `address` on as data records of their own, for
// what the finish adds to the image (the fill, the checksums).
void hex_write_block(LinkContext& ctx, uint32_t address, const uint8_t* bytes, std::size_t count);

// Writes the record being built. A failed write is error 18.
void hex_flush(LinkContext& ctx);

// Writes the extended segment address record of the bank of `address`.
void hex_segment_record(LinkContext& ctx, int32_t address);

// Writes the low 4n bits of `value` as n upper-case hexadecimal digits,
// most significant first, without a terminator.
void put_hex_digits(char* text, int n, uint32_t value);

}  // namespace orv
