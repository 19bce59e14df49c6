#include "pass2/hex_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

struct Block {
    uint32_t address;
    std::vector<uint8_t> bytes;
};

struct HexCase {
    const char* what;
    int bank_mode;
    std::vector<Block> blocks;
    std::string text;
    std::size_t span = 0;  // bytes of the image an independent reader sees; 0: not read back
};

std::vector<uint8_t> counting(int from, int count) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(uint8_t(from + i));
    return bytes;
}

// Blocks go in the way the contents stream sends them: each starts a
// record, its bytes follow, and what is left of its record is flushed.
TEST(HexWriter, BlocksBecomeRecordsOfAtMostSixteenBytesInInputOrder) {
    const std::vector<HexCase> cases = {
        {"one byte at 0", 0, {{0, {0x12}}}, ":0100000012ED\r\n", 1},
        {"bank 0 too gets a segment record first", 1, {{0, {0x12}}, {1, {0x34}}},
         ":020000020000FC\r\n:0100000012ED\r\n:0100010034CA\r\n", 2},
        {"a segment record at every change of bank", 1, {{0, {0xAA}}, {0x10000, {0xBB, 0xCC}}, {1, {0xDD}}},
         ":020000020000FC\r\n:01000000AA55\r\n:020000021000EC\r\n:02000000BBCC77\r\n"
         ":020000020000FC\r\n:01000100DD21\r\n", 0x10002},
        {"twenty bytes from 0x0C", 0, {{0x0C, counting(0, 20)}},
         ":04000C0000010203EA\r\n:100010000405060708090A0B0C0D0E0F1011121328\r\n", 20},
        {"sixteen aligned bytes", 0, {{0x20, counting(0x40, 16)}},
         ":10002000404142434445464748494A4B4C4D4E4F58\r\n", 16},
        {"input order, same address twice", 0, {{0x2000, {1}}, {0x1000, {2}}, {0x2000, {3}}},
         ":0120000001DE\r\n:0110000002ED\r\n:0120000003DC\r\n"},
        {"above 64 KiB without bank mode", 0, {{0x10010, {0x5A}}}, ":010010005A95\r\n", 1},
    };
    for (const HexCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        LinkContext ctx;
        ctx.options.bank_mode = c.bank_mode;
        ctx.output.hex_file = TextOutput::create((dir / "OUT.HEX").string());
        hex_init(ctx);
        std::vector<uint8_t> image;
        for (const Block& block : c.blocks) {
            hex_start(ctx, int32_t(block.address));
            for (uint8_t b : block.bytes) hex_put_byte(ctx, b);
            if (ctx.output.hex.record_count != 0) hex_flush(ctx);
        }
        EXPECT_TRUE(ctx.output.hex_file->close());
        EXPECT_EQ(dir.read("OUT.HEX"), c.text);
        if (c.span == 0) continue;
        HexReadback back = read_back_hex(dir / "OUT.HEX");
        EXPECT_TRUE(back.accepted) << back.messages;
        // The reader's image runs from the lowest address to the highest.
        EXPECT_EQ(back.bytes.size(), c.span);
        auto by_address = [](const Block& a, const Block& b) { return a.address < b.address; };
        const Block& lowest = *std::min_element(c.blocks.begin(), c.blocks.end(), by_address);
        EXPECT_TRUE(back.bytes.size() >= lowest.bytes.size() &&
                    std::equal(lowest.bytes.begin(), lowest.bytes.end(), back.bytes.begin()));
    }
}

TEST(HexWriter, AFailedRecordWriteIsOutOfDiskSpace) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    LinkContext ctx;
    ctx.output.hex_file = TextOutput::create("/dev/full");
    ASSERT_NE(ctx.output.hex_file, nullptr);
    hex_init(ctx);
    hex_start(ctx, 0);
    int number = -1;
    try {
        // The file buffers what it is given: enough records to fill it.
        for (int i = 0; i < 0x10000; ++i) hex_put_byte(ctx, i & 0xFF);
    } catch (const LinkError& error) {
        number = error.number();
    }
    EXPECT_EQ(number, ERR_DISK_FULL);
    EXPECT_EQ(exit_status_of(number), 3);
    EXPECT_STREQ(error_text(number), "Out of disk space\n");
}

}  // namespace
}  // namespace orv::test
