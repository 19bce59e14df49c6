#include "output/hex_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/diagnostics.h"
#include "driver/link_context.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// A HEX writer on a file of its own, driven the way the contents stream
// drives it: a block starts, its bytes go in, the block's rest is flushed.
class HexWriterTest : public ::testing::Test {
protected:
    HexWriterTest() : path(dir / "OUT.HEX") {
        ctx.output.hex_file = TextOutput::create(path.string());
        hex_init(ctx);
    }

    void block(uint32_t address, const std::vector<int>& bytes) {
        hex_start(ctx, int32_t(address));
        for (int b : bytes) hex_put_byte(ctx, b);
        if (ctx.output.hex.record_count != 0) hex_flush(ctx);
    }

    std::string written() {
        EXPECT_TRUE(ctx.output.hex_file->close());
        ctx.output.hex_file.reset();
        return read_file(path);
    }

    TempDir dir;
    std::filesystem::path path;
    LinkContext ctx;
};

std::vector<int> counting(int from, int count) {
    std::vector<int> bytes;
    for (int i = 0; i < count; ++i) bytes.push_back((from + i) & 0xFF);
    return bytes;
}

TEST_F(HexWriterTest, OneByteAtZeroGivesOneDataRecord) {
    block(0x0000, {0x12});
    EXPECT_EQ(written(), ":0100000012ED\r\n");
    HexReadback image = read_back_hex(path);
    ASSERT_TRUE(image.accepted) << image.messages;
    EXPECT_EQ(image.bytes, std::vector<uint8_t>({0x12}));
}

TEST_F(HexWriterTest, BankModePutsASegmentRecordBeforeTheFirstRecordEvenInBankZero) {
    ctx.options.bank_mode = 1;
    block(0x0000, {0x12});
    block(0x0001, {0x34});
    EXPECT_EQ(written(), ":020000020000FC\r\n:0100000012ED\r\n:0100010034CA\r\n");
}

TEST_F(HexWriterTest, BankModeWritesASegmentRecordAtEveryChangeOfBank) {
    ctx.options.bank_mode = 1;
    block(0x0000, {0xAA});
    block(0x10000, {0xBB, 0xCC});
    block(0x0001, {0xDD});
    EXPECT_EQ(written(),
              ":020000020000FC\r\n:01000000AA55\r\n"
              ":020000021000EC\r\n:02000000BBCC77\r\n"
              ":020000020000FC\r\n:01000100DD21\r\n");
    HexReadback image = read_back_hex(path);
    ASSERT_TRUE(image.accepted) << image.messages;
    ASSERT_EQ(image.bytes.size(), 0x10002u);
    EXPECT_EQ(image.bytes[0], 0xAA);
    EXPECT_EQ(image.bytes[1], 0xDD);
    EXPECT_EQ(image.bytes[0x10000], 0xBB);
    EXPECT_EQ(image.bytes[0x10001], 0xCC);
}

TEST_F(HexWriterTest, TwentyBytesFromOffTheBoundarySplitAtTheNextMultipleOfSixteen) {
    block(0x000C, counting(0, 20));
    EXPECT_EQ(written(),
              ":04000C0000010203EA\r\n"
              ":100010000405060708090A0B0C0D0E0F1011121328\r\n");
    HexReadback image = read_back_hex(path);
    ASSERT_TRUE(image.accepted) << image.messages;
    std::vector<uint8_t> expected;
    for (int b : counting(0, 20)) expected.push_back(uint8_t(b));
    EXPECT_EQ(image.bytes, expected);
}

TEST_F(HexWriterTest, AFullAlignedBlockIsOneRecordAndLeavesNothingToFlush) {
    hex_start(ctx, 0x20);
    for (int b : counting(0x40, 16)) hex_put_byte(ctx, b);
    EXPECT_EQ(ctx.output.hex.record_count, 0);
    EXPECT_EQ(ctx.output.hex.record_address, 0x30);
    EXPECT_EQ(written(), ":10002000404142434445464748494A4B4C4D4E4F58\r\n");
}

TEST_F(HexWriterTest, RecordsFollowTheInputOrderNotTheAddresses) {
    block(0x2000, {0x01});
    block(0x1000, {0x02});
    block(0x2000, {0x03});
    EXPECT_EQ(written(), ":0120000001DE\r\n:0110000002ED\r\n:0120000003DC\r\n");
}

TEST_F(HexWriterTest, WithoutBankModeAnAddressAboveSixtyFourKiBKeepsItsLowSixteenBits) {
    block(0x10010, {0x5A});
    EXPECT_EQ(written(), ":010010005A95\r\n");
}

TEST(HexDigits, WritesTheLowDigitsInUpperCaseWithoutATerminator) {
    char text[8] = "xxxxxxx";
    put_hex_digits(text, 4, 0x1ABCDu);
    EXPECT_EQ(std::string(text), "ABCDxxx");
    put_hex_digits(text + 4, 2, 0x0Fu);
    EXPECT_EQ(std::string(text), "ABCD0Fx");
}

TEST(HexWriterFailure, AFailedRecordWriteIsOutOfDiskSpace) {
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
