#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

Bytes counting(int from, int count) {
    Bytes bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(uint8_t(from + i));
    return bytes;
}

TEST(Contents, BlocksGoToTheUnitsPlacedAddressOrTheirOwnAbsoluteOne) {
    Pass2Harness h;
    h.unit("P", 0x1005, 20);
    h.unit("ABS", 0x3000, 0x20, 1);
    h.module(0, 1);
    // The relocatable unit's block address (0x77) is not used; no
    // relocation stream is needed for a module without relocation.
    EXPECT_EQ(h.process(ObjectWriter()
                            .contents(0, {{0x77, counting(1, 20)}})
                            .contents(1, {{0x3000, counting(0x10, 4)}, {0x3010, counting(0x20, 16)}})
                            .end()),
              0);
    EXPECT_EQ(h.hex_text(),
              ":0B1005000102030405060708090A0B9E\r\n"
              ":091010000C0D0E0F101112131447\r\n"
              ":043000001011121386\r\n"
              ":10301000202122232425262728292A2B2C2D2E2F38\r\n");
    Bytes image = h.image();
    ASSERT_EQ(image.size(), 0x3020u - 0x1005u);
    EXPECT_EQ(image[19], 20);
    EXPECT_EQ(image[0x3000 - 0x1005], 0x10);
    EXPECT_EQ(h.out.text(), "");
}

TEST(Contents, FieldsArePatchedLowByteFirstAcrossRecordBoundaries) {
    Pass2Harness h;
    h.unit("P", 0x1000, 0x20);
    h.name("target", 0x1234);
    h.module(0, 0);
    EXPECT_EQ(h.process(ObjectWriter()
                            .relocation(0, {{0x01, REL_ADDRESS, 2, e(name_term("target"))},
                                            {0x0E, REL_VALUE, 4, e(k(-2))},
                                            {0x12, REL_ADDRESS, 2, e(unit_term(0, 0x10))}})
                            .contents(0, {{0, Bytes(0x14, 0xAA)}})
                            .end()),
              0);
    EXPECT_EQ(h.hex_text(),
              ":10100000AA3412AAAAAAAAAAAAAAAAAAAAAAFEFFA5\r\n"
              ":04101000FFFF1010BE\r\n");
    EXPECT_EQ(h.image().size(), 0x14u);
    EXPECT_EQ(h.ctx.reader.next_tag, 0xFF);
    EXPECT_EQ(h.out.text(), "");
}

TEST(Contents, EachUnitsFieldsArePatchedWhileThatUnitsBytesGoOut) {
    Pass2Harness h;
    h.unit("OTHER", 0x0100, 0x10);
    h.unit("P", 0x2000, 0x08);
    h.unit("R", 0x3000, 0x08);
    h.module(1, 2);
    // Every block of a relocatable unit starts at the unit's address: the
    // field at 2 is met in the first block, the one at 5 in the second.
    // Unit 0's relocation record ends inside its second block; unit 1's is
    // read only when unit 1's block starts.
    EXPECT_EQ(h.process(ObjectWriter()
                            .relocation(0, {{0x02, REL_VALUE, 1, e(k(0x11))},
                                            {0x05, REL_VALUE, 1, e(k(0x22))}})
                            .relocation(1, {{0x00, REL_VALUE, 2, e(unit_term(0, 0x06))}})
                            .contents(0, {{0, Bytes(4, 0)}, {0, counting(0xA0, 8)}})
                            .contents(1, {{0, Bytes(4, 0)}})
                            .local_labels(0, {{1, "here"}})
                            .end()),
              0);
    EXPECT_EQ(h.hex_text(),
              ":0420000000001100CB\r\n"
              ":08200000A0A1A2A3A422A6A73F\r\n"
              ":0430000006200000A6\r\n");
    // The contents end at the local labels: their tag is left for the
    // symbol file, whose record body comes next on the stream.
    EXPECT_EQ(h.ctx.reader.next_tag, 0xF9);
    EXPECT_EQ(red_number(*h.code, 2), 0u);
}

struct BrokenPart {
    const char* point;
    const char* what;
    ByteWriter part;
    long code_offset = 0;  // where the contents start, when not found by skipping
    int32_t last_unit = 1;
};

// A broken module stops the link at its own point before a wrong byte can
// pass unnoticed.
TEST(Contents, MalformedContentsAndRelocationStopAtTheirOwnPoint) {
    auto one = [](uint32_t address, int32_t value) {
        return orvfixture::RelocSpec{address, REL_VALUE, 1, e(k(value))};
    };
    const std::vector<orvfixture::BlockSpec> two = {{0, {0, 0}}};
    std::vector<BrokenPart> cases = {
        {"24.4", "contents for a unit the module does not have", ObjectWriter().contents(2, two).end()},
        {"24.4", "contents in a module without units", ObjectWriter().contents(0, two).end(), 0, -1},
        {"24.5", "relocation for a unit the module does not have",
         ObjectWriter().relocation(5, {one(0, 1)}).contents(0, two).end()},
        {"25.5", "unit operand naming no unit of the module",
         ObjectWriter().relocation(0, {{0, REL_VALUE, 1, e(unit_term(2, 0))}}).contents(0, two).end()},
        {"26.1", "data block shorter than its address",
         ObjectWriter().tag(0xF8).n2(0).n4(2).n2(0).n4(0).n1(0xFF)},
        {"26.2", "field reaching past its block",
         ObjectWriter().relocation(0, {{1, REL_ADDRESS, 2, e(k(1))}}).contents(0, {two[0], two[0]}).end()},
        {"26.3", "field beyond the unit's data",
         ObjectWriter().relocation(0, {one(4, 1)}).contents(0, two).end()},
        {"26.3", "entries out of order",
         ObjectWriter().relocation(0, {one(1, 1), one(0, 2)}).contents(0, two).end()},
        {"26.3", "second field inside the first",
         ObjectWriter().relocation(0, {{0, REL_ADDRESS, 2, e(k(1))}, one(1, 2)}).contents(0, two).end()},
        {"26.3", "relocation records in another order than the contents",
         ObjectWriter().relocation(1, {one(0, 1)}).relocation(0, {one(0, 2)})
             .contents(0, two).contents(1, two).end()},
        {"26.3", "relocation for a unit without contents",
         ObjectWriter().relocation(0, {one(0, 1)}).relocation(1, {one(0, 2)}).contents(0, two).end()},
        {"26.4", "contents past the unit's size", ObjectWriter().contents(0, {{0, Bytes(17, 0)}}).end()},
        {"26.4", "relocated field past the unit's size",
         ObjectWriter().relocation(0, {{0x0F, REL_ADDRESS, 2, e(k(1))}}).contents(0, {{0, Bytes(17, 0)}}).end()},
        {"9", "file ending inside a data block",
         ObjectWriter().tag(0xF8).n2(0).n4(0x7FFFFFFF).n3(0).n1(1).n1(2)},
        {"9", "file ending inside a patched field",
         ObjectWriter().relocation(0, {{0, REL_VALUE, 2, e(k(1))}}).tag(0xF8).n2(0).n4(5).n3(0).n1(1)},
    };
    {
        // A library module gives both positions, so the contents handle
        // does not pass the relocation records first.
        ObjectWriter part;
        part.relocation(0, {one(0, 1)}).tag(0x00);
        long code_offset = long(part.size()) + 1;
        part.contents(0, two).end();
        cases.push_back({"26.5", "unknown tag after a relocation record", part, code_offset});
    }
    for (const BrokenPart& c : cases) {
        SCOPED_TRACE(c.what);
        Pass2Harness h;
        h.unit("P", 0x2000, 0x10);
        h.unit("R", 0x3000, 0x10);
        h.module(0, c.last_unit);
        h.write("PART.ROV", c.part);
        auto code = h.open("PART.ROV");
        auto reloc = h.open("PART.ROV");
        int status = h.run([&] {
            if (c.code_offset != 0) {
                ASSERT_TRUE(code->seek(c.code_offset));
            } else {
                ASSERT_EQ(find_contents(*code), 1);
            }
            process_contents(h.ctx, *code, starts_with_relocation(*reloc) ? reloc.get() : nullptr);
        });
        EXPECT_EQ(status, 4);
        EXPECT_EQ(h.out.text(), internal_error_text(c.point));
    }
}

// A block's bytes stay inside their unit: those that would reach past it
// (onto the next unit, or round past the top of the address range) stop the
// link at point 26.4 before they are written, and so does a block of an
// absolute unit that starts outside it. Whole records written before stay.
TEST(Contents, BytesOutsideTheirUnitStopTheLinkBeforeTheyAreWritten) {
    const struct {
        const char* what;
        int abs;
        int32_t unit_address;
        uint32_t block_address;
        std::size_t count;
        std::string hex;
    } cases[] = {
        {"relocatable unit overrun", 0, 0x3010, 0, 24, ":10301000" + std::string(32, 'A') + "10\r\n"},
        {"relocatable unit at the top", 0, 0xFFF0, 0, 17, ":10FFF000" + std::string(32, 'A') + "61\r\n"},
        {"absolute block running past the unit", 1, 0x3010, 0x3018, 9, ":08301800AAAAAAAAAAAAAAAA60\r\n"},
        {"absolute block before the unit", 1, 0x3010, 0x300F, 1, ""},
        {"absolute block after the unit", 1, 0x3010, 0x3020, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Pass2Harness h;
        h.unit("P", c.unit_address, 0x10, c.abs);
        h.unit("NEXT", c.unit_address + 0x10, 0x10);
        h.module(0, 1);
        EXPECT_EQ(h.process(ObjectWriter().contents(0, {{c.block_address, Bytes(c.count, 0xAA)}}).end()), 4);
        EXPECT_EQ(h.out.text(), internal_error_text("26.4"));
        EXPECT_EQ(h.hex_text(), c.hex);
    }
}

}  // namespace
}  // namespace orv::test::p2
