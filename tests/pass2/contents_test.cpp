#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pass2/contents.h"
#include "pass2/pass2.h"
#include "pass2/relocation.h"
#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

using orvfixture::ByteWriter;
using orvfixture::Bytes;
using orvfixture::constant_term;
using orvfixture::Expr;
using orvfixture::name_term;
using orvfixture::ObjectWriter;
using orvfixture::Term;
using orvfixture::unit_term;

Term k(int32_t value) { return constant_term(uint32_t(value)); }
Expr value_of(int32_t value) { return Expr(k(0), k(value)); }

Bytes counting(int from, int count) {
    Bytes bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(uint8_t(from + i));
    return bytes;
}

Bytes zeros(int count) { return Bytes(std::size_t(count), 0); }

class ContentsTest : public ::testing::Test {
protected:
    // Streams the module's pass-2 part through two handles positioned the
    // way the driver positions them; returns the exit status.
    int process(const ByteWriter& part) {
        h.write("PART.ROV", part);
        code = h.open("PART.ROV");
        auto reloc = h.open("PART.ROV");
        return h.run([&] {
            if (!find_contents(*code)) return;
            bool has_relocation = starts_with_relocation(*reloc);
            process_contents(h.ctx, *code, has_relocation ? reloc.get() : nullptr);
        });
    }

    Bytes image_bytes() {
        HexReadback image = h.image();
        EXPECT_TRUE(image.accepted) << image.messages;
        return image.bytes;
    }

    std::vector<std::string> hex_lines() {
        std::vector<std::string> lines;
        std::string text = h.hex_text();
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    Pass2Harness h;
    std::unique_ptr<BinaryInput> code;
};

TEST_F(ContentsTest, BytesOfARelocatableUnitGoToItsPlacedAddressWithoutRelocation) {
    h.unit("P", 0x1005, 20);
    h.module(0, 0);
    ObjectWriter part;
    part.contents(0, {{0x77, counting(1, 20)}}).end();
    EXPECT_EQ(process(part), 0);
    std::vector<std::string> lines = hex_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 9), ":0B100500");
    EXPECT_EQ(lines[1].substr(0, 9), ":09101000");
    EXPECT_EQ(read_back_hex(h.hex_path).bytes, counting(1, 20));
    EXPECT_EQ(h.out_text(), "");
}

TEST_F(ContentsTest, BlocksOfAnAbsoluteUnitStartAtTheirOwnAddresses) {
    h.unit("ABS", 0x3000, 0x20, 1);
    h.module(0, 0);
    ObjectWriter part;
    part.contents(0, {{0x3000, counting(0x10, 4)}, {0x3010, counting(0x20, 16)}}).end();
    EXPECT_EQ(process(part), 0);
    std::vector<std::string> lines = hex_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], ":043000001011121386");
    EXPECT_EQ(lines[1].substr(0, 9), ":10301000");
    Bytes expected = counting(0x10, 4);
    Bytes gap = zeros(12);
    expected.insert(expected.end(), gap.begin(), gap.end());
    Bytes second = counting(0x20, 16);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(read_back_hex(h.hex_path).bytes, expected);
}

TEST_F(ContentsTest, FieldsArePatchedLowByteFirstAcrossRecordBoundaries) {
    h.unit("P", 0x1000, 0x20);
    h.label("target", 0x1234);
    h.module(0, 0);
    ObjectWriter part;
    part.relocation(0, {{0x01, REL_ADDRESS, 2, Expr(k(0), name_term("target"))},
                        {0x03, REL_VALUE, 1, Expr(k(0), name_term("target", orvfixture::PREFIX_HIGH))},
                        {0x0E, REL_VALUE, 4, value_of(-2)},
                        {0x12, REL_ADDRESS, 2, Expr(k(0), unit_term(0, 0x10))}})
        .contents(0, {{0, Bytes(0x14, 0xAA)}})
        .end();
    EXPECT_EQ(process(part), 0);
    Bytes expected(0x14, 0xAA);
    expected[1] = 0x34;
    expected[2] = 0x12;
    expected[3] = 0x12;
    expected[0x0E] = 0xFE;
    expected[0x0F] = 0xFF;
    expected[0x10] = 0xFF;
    expected[0x11] = 0xFF;
    expected[0x12] = 0x10;
    expected[0x13] = 0x10;
    EXPECT_EQ(image_bytes(), expected);
    EXPECT_EQ(h.ctx.reader.next_tag, 0xFF);
    EXPECT_EQ(h.out_text(), "");
}

TEST_F(ContentsTest, EachUnitsFieldsArePatchedWhileThatUnitsBytesGoOut) {
    h.unit("OTHER", 0x0100, 0x10);
    h.unit("P", 0x2000, 0x08);
    h.unit("R", 0x3000, 0x08);
    h.module(1, 2);
    ObjectWriter part;
    part.relocation(0, {{0x02, REL_VALUE, 1, value_of(0x11)}, {0x05, REL_VALUE, 1, value_of(0x22)}})
        .relocation(1, {{0x00, REL_VALUE, 2, Expr(k(0), unit_term(0, 0x06))}})
        .contents(0, {{0, zeros(4)}, {0, Bytes{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7}}})
        .contents(1, {{0, zeros(4)}})
        .local_labels(0, {{1, "here"}})
        .end();
    EXPECT_EQ(process(part), 0);
    // Every block of a relocatable unit starts at the unit's address: the
    // field at 2 is met in the first block, the one at 5 in the second.
    std::vector<std::string> lines = hex_lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], ":0420000000001100CB");
    EXPECT_EQ(lines[1], ":08200000A0A1A2A3A422A6A73F");
    EXPECT_EQ(lines[2], ":0430000006200000A6");
    // The contents end at the local labels, whose tag is left for the
    // symbol file and whose body comes next.
    EXPECT_EQ(h.ctx.reader.next_tag, 0xF9);
    EXPECT_EQ(red_number(*code, 2), 0u);
}

TEST_F(ContentsTest, ARelocationRecordEndingInABlockLeavesTheNextRecordToTheNextBlock) {
    h.unit("P", 0x2000, 0x04);
    h.unit("R", 0x3000, 0x04);
    h.module(0, 1);
    ObjectWriter part;
    part.relocation(0, {{0x00, REL_VALUE, 1, value_of(0x11)}})
        .relocation(1, {{0x01, REL_VALUE, 1, value_of(0x22)}})
        .contents(0, {{0, zeros(4)}})
        .contents(1, {{0, zeros(4)}})
        .end();
    EXPECT_EQ(process(part), 0);
    std::vector<std::string> lines = hex_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], ":0420000011000000CB");
    EXPECT_EQ(lines[1], ":0430000000220000AA");
}

TEST_F(ContentsTest, AModuleWithoutContentsIsNotProcessed) {
    h.unit("P", 0x2000, 0x04);
    h.module(0, 0);
    ObjectWriter part;
    part.relocation(0, {{0x00, REL_VALUE, 1, value_of(0x11)}}).local_symbols({{5, "five"}}).end();
    EXPECT_EQ(process(part), 0);
    EXPECT_EQ(h.hex_text(), "");
}

struct BrokenPart {
    const char* point;
    const char* what;
    ByteWriter part;
    long code_offset = 0;  // where the contents start, when not found by skipping
};

// Every broken module stops the link at its own point before a wrong byte
// could pass unnoticed.
TEST_F(ContentsTest, MalformedContentsAndRelocationStopAtTheirOwnPoint) {
    std::vector<BrokenPart> cases;
    cases.push_back({"24.4", "contents for a unit the module does not have",
                     ObjectWriter().contents(2, {{0, zeros(2)}}).end()});
    cases.push_back({"24.5", "relocation for a unit the module does not have",
                     ObjectWriter().relocation(5, {{0, REL_VALUE, 1, value_of(1)}})
                         .contents(0, {{0, zeros(2)}}).end()});
    cases.push_back({"25.5", "unit operand naming no unit of the module",
                     ObjectWriter().relocation(0, {{0, REL_VALUE, 1, Expr(k(0), unit_term(2, 0))}})
                         .contents(0, {{0, zeros(2)}}).end()});
    cases.push_back({"26.1", "data block shorter than its address",
                     ObjectWriter().tag(0xF8).n2(0).n4(2).n2(0).n4(0).n1(0xFF)});
    cases.push_back({"26.2", "field reaching past its block",
                     ObjectWriter().relocation(0, {{1, REL_ADDRESS, 2, value_of(0x1234)}})
                         .contents(0, {{0, zeros(2)}, {0, zeros(2)}}).end()});
    cases.push_back({"26.3", "field beyond the unit's data",
                     ObjectWriter().relocation(0, {{4, REL_VALUE, 1, value_of(1)}})
                         .contents(0, {{0, zeros(2)}}).end()});
    cases.push_back({"26.3", "entries out of order",
                     ObjectWriter().relocation(0, {{1, REL_VALUE, 1, value_of(1)}, {0, REL_VALUE, 1, value_of(2)}})
                         .contents(0, {{0, zeros(2)}}).end()});
    cases.push_back({"26.3", "second field inside the first",
                     ObjectWriter().relocation(0, {{0, REL_ADDRESS, 2, value_of(1)}, {1, REL_VALUE, 1, value_of(2)}})
                         .contents(0, {{0, zeros(2)}}).end()});
    cases.push_back({"26.3", "relocation records in another order than the contents",
                     ObjectWriter().relocation(1, {{0, REL_VALUE, 1, value_of(1)}})
                         .relocation(0, {{0, REL_VALUE, 1, value_of(2)}})
                         .contents(0, {{0, zeros(2)}}).contents(1, {{0, zeros(2)}}).end()});
    cases.push_back({"26.3", "relocation for a unit without contents",
                     ObjectWriter().relocation(0, {{0, REL_VALUE, 1, value_of(1)}})
                         .relocation(1, {{0, REL_VALUE, 1, value_of(2)}})
                         .contents(0, {{0, zeros(2)}}).end()});
    {
        // Library modules give both positions, so the contents handle does
        // not pass the relocation records first.
        ObjectWriter part;
        part.relocation(0, {{0, REL_VALUE, 1, value_of(1)}}).tag(0x00);
        long code_offset = long(part.size()) + 1;
        part.contents(0, {{0, zeros(2)}}).end();
        cases.push_back({"26.5", "unknown tag after a relocation record", part, code_offset});
    }
    cases.push_back({"9", "file ending inside a data block",
                     ObjectWriter().tag(0xF8).n2(0).n4(0x7FFFFFFF).n3(0).n1(1).n1(2)});
    cases.push_back({"9", "file ending inside a patched field",
                     ObjectWriter().relocation(0, {{0, REL_VALUE, 2, value_of(1)}})
                         .tag(0xF8).n2(0).n4(5).n3(0).n1(1)});

    for (BrokenPart& c : cases) {
        Pass2Harness fresh;
        fresh.unit("P", 0x2000, 0x10);
        fresh.unit("R", 0x3000, 0x10);
        fresh.module(0, 1);
        fresh.write("PART.ROV", c.part);
        auto stream = fresh.open("PART.ROV");
        auto reloc = fresh.open("PART.ROV");
        int status = fresh.run([&] {
            if (c.code_offset != 0) {
                ASSERT_TRUE(stream->seek(c.code_offset));
            } else {
                ASSERT_EQ(find_contents(*stream), 1);
            }
            bool has_relocation = starts_with_relocation(*reloc);
            process_contents(fresh.ctx, *stream, has_relocation ? reloc.get() : nullptr);
        });
        EXPECT_EQ(status, 4) << c.what;
        EXPECT_EQ(fresh.out_text(), internal_error_text(c.point)) << c.what;
    }
}

TEST_F(ContentsTest, AModuleWithoutUnitsCannotHaveContents) {
    h.unit("P", 0x2000, 0x10);
    h.module(1, 0);
    ObjectWriter part;
    part.contents(0, {{0, zeros(2)}}).end();
    EXPECT_EQ(process(part), 4);
    EXPECT_EQ(h.out_text(), internal_error_text("24.4"));
}

}  // namespace
}  // namespace orv::test::p2
