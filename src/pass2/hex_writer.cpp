#include "pass2/hex_writer.h"

#include <memory>
#include <string_view>

#include "base/diagnostics.h"
#include "base/link_context.h"

namespace orv {
namespace {

// Positions in the record text: ':' count(2) address(4) type(2), then data.
constexpr int COUNT_POS = 1;
constexpr int ADDRESS_POS = 3;
constexpr int TYPE_POS = 7;
constexpr int DATA_POS = 9;

}  // namespace

void put_hex_digits(char* text, int n, uint32_t value) {
    static const char DIGITS[] = "0123456789ABCDEF";
    for (int i = n - 1; i >= 0; --i) {
        text[i] = DIGITS[value & 0xF];
        value >>= 4;
    }
}

void hex_init(LinkContext& ctx) {
    HexWriterState& hex = ctx.output.hex;
    hex.last_record_address = -1;
    hex.record_text[0] = ':';
    hex.record_text[TYPE_POS] = '0';
    hex.record_text[TYPE_POS + 1] = '0';
    hex.record_pos = DATA_POS;
    hex.record_count = 0;
    hex.record_sum = 0;
    // 64 KiB, or 128 KiB with -BANK: the address limit plus one.
    if (ctx.image.wanted()) ctx.output.image = std::make_unique<FlashImage>(uint32_t(ctx.options.max_address) + 1u);
}

void hex_start(LinkContext& ctx, int32_t address) {
    ctx.output.hex.out_address = address;
    ctx.output.hex.record_address = address;
}

namespace {

// Appends one byte to the record; closes it after an address 16k + 15.
void append_byte(LinkContext& ctx, int byte) {
    HexWriterState& hex = ctx.output.hex;
    put_hex_digits(hex.record_text + hex.record_pos, 2, uint32_t(byte));
    hex.record_pos += 2;
    hex.record_count += 1;
    hex.record_sum += byte & 0xFF;
    hex.out_address = int32_t(uint32_t(hex.out_address) + 1u);
    if ((hex.out_address & 0xF) == 0) hex_flush(ctx);
}

}  // namespace

void hex_put_byte(LinkContext& ctx, int byte) {
    ++ctx.stats.hex_data_bytes;
    if (FlashImage* image = ctx.output.image.get()) {
        image->put(uint32_t(ctx.output.hex.out_address), uint8_t(byte), ImageByte::CONTENTS);
    }
    append_byte(ctx, byte);
}

void hex_write_block(LinkContext& ctx, uint32_t address, const uint8_t* bytes, std::size_t count) {
    hex_start(ctx, int32_t(address));
    for (std::size_t i = 0; i < count; ++i) append_byte(ctx, bytes[i]);
    if (ctx.output.hex.record_count != 0) hex_flush(ctx);
}

void hex_flush(LinkContext& ctx) {
    HexWriterState& hex = ctx.output.hex;
    uint32_t address = uint32_t(hex.record_address);
    if (ctx.options.bank_mode && (uint32_t(hex.last_record_address) >> 16) != (address >> 16)) {
        hex_segment_record(ctx, hex.record_address);
    }
    put_hex_digits(hex.record_text + COUNT_POS, 2, uint32_t(hex.record_count));
    put_hex_digits(hex.record_text + ADDRESS_POS, 4, address & 0xFFFF);
    uint32_t sum = uint32_t(hex.record_sum) + uint32_t(hex.record_count) + ((address >> 8) & 0xFF) +
                   (address & 0xFF);
    char* end = hex.record_text + hex.record_pos;
    put_hex_digits(end, 2, 0u - sum);
    end[2] = '\n';
    end[3] = '\0';
    std::string_view record(hex.record_text, std::size_t(hex.record_pos + 3));
    TextOutput* file = ctx.output.hex_file.get();
    if (file == nullptr || !file->write(record)) error_exit(ERR_DISK_FULL);

    hex.last_record_address = hex.record_address;
    hex.record_address = hex.out_address;
    hex.record_pos = DATA_POS;
    hex.record_count = 0;
    hex.record_sum = 0;
}

void hex_segment_record(LinkContext& ctx, int32_t address) {
    uint32_t segment = (uint32_t(address) >> 4) & 0xF000;
    uint32_t checksum = (0u - (2u + 2u + (segment >> 8) + (segment & 0xFF))) & 0xFF;
    TextOutput* file = ctx.output.hex_file.get();
    if (file == nullptr) return;
    // Only the data record that follows is checked: a failed write shows there.
    file->print(":020000");
    file->print("02");
    file->print("%04lX", (unsigned long)segment);
    file->print("%02X\n", unsigned(checksum));
}

}  // namespace orv
