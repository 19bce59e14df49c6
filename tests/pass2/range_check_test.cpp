#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pass2/contents.h"
#include "pass2/pass2.h"
#include "pass2/relocation.h"
#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

using orvfixture::Bytes;
using orvfixture::constant_term;
using orvfixture::Expr;
using orvfixture::name_term;
using orvfixture::ObjectWriter;
using orvfixture::Term;

Term k(int32_t value) { return constant_term(uint32_t(value)); }
Expr value_of(int32_t value) { return Expr(k(0), k(value)); }

// What became of one relocated field.
struct Field {
    int status = -1;
    std::string out;
    int link_failed = 0;
    Bytes bytes;  // the field's bytes in the image
};

struct FieldSetup {
    int bank_mode = 0;
    int32_t unit_address = 0x1000;
    int32_t field_offset = 1;
};

// One module with one relocatable unit in section P (placed after a unit
// of another module, so that the offset in a message counts from this
// unit): a block of one byte 0xEE, the field's placeholder and one byte
// 0xDD, and one relocation entry for the field.
Field relocate(uint8_t type, uint8_t size, const Expr& expr, const Bytes& placeholder,
               const FieldSetup& setup = {}) {
    Pass2Harness h;
    h.ctx.options.bank_mode = setup.bank_mode;
    h.ctx.options.max_address = setup.bank_mode ? 0x1FFFF : 0xFFFF;
    h.unit("P", setup.unit_address - 0x100, 0x100);
    h.unit("P", setup.unit_address, 0x100);
    h.label("target", 0x1081);
    h.bit_symbol("flag", 0x20, 3);
    h.module(1, 1);
    Bytes data = {0xEE};
    data.insert(data.end(), placeholder.begin(), placeholder.end());
    data.push_back(0xDD);
    ObjectWriter part;
    part.relocation(0, {{uint32_t(setup.field_offset), type, size, expr}})
        .contents(0, {{0, data}})
        .end();
    h.write("FIELD.ROV", part);
    auto code = h.open("FIELD.ROV");
    auto reloc = h.open("FIELD.ROV");
    Field field;
    field.status = h.run([&] {
        find_contents(*code);
        starts_with_relocation(*reloc);
        process_contents(h.ctx, *code, reloc.get());
    });
    field.out = h.out_text();
    field.link_failed = h.ctx.link_failed;
    if (field.status != 0) return field;
    HexReadback image = h.image();
    EXPECT_TRUE(image.accepted) << image.messages;
    EXPECT_EQ(image.bytes.size(), data.size());
    if (image.bytes.size() == data.size()) {
        EXPECT_EQ(image.bytes.front(), 0xEE);
        EXPECT_EQ(image.bytes.back(), 0xDD);
        field.bytes.assign(image.bytes.begin() + 1, image.bytes.end() - 1);
    }
    return field;
}

std::string range_message(int number, const char* text, const char* address, const char* offset) {
    return "ERROR NO." + std::to_string(number) + ": " + text + "\n             SECTION=P ADDRESS=" +
           address + " OFFSET=" + offset + "\n";
}

TEST(RangeCheck, RelativeJumpCountsFromTheByteAfterTheField) {
    // Field at 0x1001: 0x1081 - 0x1002 = 127 fits one byte.
    Field fits = relocate(REL_RELATIVE, 1, Expr(k(0), name_term("target")), {0});
    EXPECT_EQ(fits.bytes, Bytes({0x7F}));
    EXPECT_EQ(fits.out, "");
    EXPECT_EQ(fits.link_failed, 0);

    Field too_far = relocate(REL_RELATIVE, 1, Expr(k(0), name_term("target")).then('+', k(1)), {0});
    EXPECT_EQ(too_far.status, 0);
    EXPECT_EQ(too_far.out, range_message(19, "Relative jump is out of range.", "1001", "0001"));
    EXPECT_EQ(too_far.link_failed, 1);
    EXPECT_EQ(too_far.bytes, Bytes({0x80}));

    Field back = relocate(REL_RELATIVE, 2, value_of(0x1003 - 32768), {0, 0});
    EXPECT_EQ(back.bytes, Bytes({0x00, 0x80}));
    EXPECT_EQ(back.out, "");
    Field word_too_far = relocate(REL_RELATIVE, 2, value_of(0x1003 + 32768), {0, 0});
    EXPECT_EQ(word_too_far.out, range_message(19, "Relative jump is out of range.", "1001", "0001"));
    EXPECT_EQ(word_too_far.bytes, Bytes({0x00, 0x80}));
}

TEST(RangeCheck, ZeroPageAndAddressFieldsGetZeroWhenOutOfRange) {
    EXPECT_EQ(relocate(REL_ZERO_PAGE, 1, value_of(0xFF), {0}).bytes, Bytes({0xFF}));
    Field page = relocate(REL_ZERO_PAGE, 1, value_of(0x100), {0x55});
    EXPECT_EQ(page.out, range_message(25, "Expression is out of ZERO page.", "1001", "0001"));
    EXPECT_EQ(page.bytes, Bytes({0x00}));
    EXPECT_EQ(relocate(REL_ZERO_PAGE, 1, value_of(-1), {0}).link_failed, 1);

    EXPECT_EQ(relocate(REL_ADDRESS, 2, value_of(0xFFFF), {0, 0}).bytes, Bytes({0xFF, 0xFF}));
    Field address = relocate(REL_ADDRESS, 2, value_of(0x10000), {0x55, 0x55});
    EXPECT_EQ(address.out, range_message(17, "Expression value is out of range.", "1001", "0001"));
    EXPECT_EQ(address.bytes, Bytes({0x00, 0x00}));
    FieldSetup bank;
    bank.bank_mode = 1;
    EXPECT_EQ(relocate(REL_ADDRESS, 3, value_of(0x1FFFF), {0, 0, 0}, bank).bytes, Bytes({0xFF, 0xFF, 0x01}));
    EXPECT_EQ(relocate(REL_ADDRESS, 3, value_of(0x20000), {0, 0, 0}, bank).link_failed, 1);
}

TEST(RangeCheck, SpecialPageFieldsHoldTheOffsetFromFF00) {
    EXPECT_EQ(relocate(REL_SPECIAL_PAGE, 1, value_of(0xFF80), {0}).bytes, Bytes({0x80}));
    Field below = relocate(REL_SPECIAL_PAGE, 1, value_of(0xFEFF), {0x55});
    EXPECT_EQ(below.out, range_message(26, "Expression is out of SPECIAL page.", "1001", "0001"));
    EXPECT_EQ(below.bytes, Bytes({0x00}));
    EXPECT_EQ(relocate(REL_SPECIAL_PAGE, 1, value_of(0x10000), {0}).link_failed, 1);
    // The page reaches up to the end of the address space.
    FieldSetup bank;
    bank.bank_mode = 1;
    EXPECT_EQ(relocate(REL_SPECIAL_PAGE, 2, value_of(0x1FFFF), {0, 0}, bank).bytes, Bytes({0xFF, 0x00}));
}

TEST(RangeCheck, BitNumbersGoIntoBitsFiveToSevenOfTheInstructionByte) {
    EXPECT_EQ(relocate(REL_BIT_NUMBER, 1, Expr(k(0), name_term("flag")), {0x0B}).bytes, Bytes({0x6B}));
    Field eight = relocate(REL_BIT_NUMBER, 1, Expr(k(0), name_term("flag")).then('+', k(5)), {0x0B});
    EXPECT_EQ(eight.out, range_message(29, "Bit value is out of range.", "1001", "0001"));
    EXPECT_EQ(eight.bytes, Bytes({0x0B}));
    EXPECT_EQ(relocate(REL_BIT_VALUE, 1, value_of(7), {0x01}).bytes, Bytes({0xE1}));
    EXPECT_EQ(relocate(REL_BIT_VALUE, 1, value_of(-1), {0x01}).bytes, Bytes({0x01}));
    // Every byte of a wider field takes the value shifted on by a byte.
    EXPECT_EQ(relocate(REL_BIT_VALUE, 2, value_of(5), {0x0B, 0x10}).bytes, Bytes({0xAB, 0x10}));
}

TEST(RangeCheck, BitAddressesAreZeroPageOrAddressesByFieldSize) {
    EXPECT_EQ(relocate(REL_BIT_ADDRESS, 1, Expr(k(0), name_term("flag")), {0}).bytes, Bytes({0x20}));
    Field page = relocate(REL_BIT_ADDRESS, 1, value_of(0x120), {0x55});
    EXPECT_EQ(page.out, range_message(25, "Expression is out of ZERO page.", "1001", "0001"));
    EXPECT_EQ(page.bytes, Bytes({0x00}));
    EXPECT_EQ(relocate(REL_BIT_ADDRESS, 2, value_of(0x120), {0, 0}).bytes, Bytes({0x20, 0x01}));
    Field address = relocate(REL_BIT_ADDRESS, 2, value_of(0x10000), {0x55, 0x55});
    EXPECT_EQ(address.out, range_message(17, "Expression value is out of range.", "1001", "0001"));
    EXPECT_EQ(address.bytes, Bytes({0x00, 0x00}));
}

TEST(RangeCheck, PlainValuesAreCheckedBySizeAndStoredEvenWhenOutOfRange) {
    EXPECT_EQ(relocate(REL_VALUE, 1, value_of(-128), {0}).bytes, Bytes({0x80}));
    EXPECT_EQ(relocate(REL_VALUE, 1, value_of(255), {0}).bytes, Bytes({0xFF}));
    Field low = relocate(REL_VALUE, 1, value_of(-129), {0});
    EXPECT_EQ(low.out, range_message(17, "Expression value is out of range.", "1001", "0001"));
    EXPECT_EQ(low.bytes, Bytes({0x7F}));
    EXPECT_EQ(relocate(REL_VALUE, 1, value_of(256), {0}).link_failed, 1);
    EXPECT_EQ(relocate(REL_VALUE, 2, value_of(-32768), {0, 0}).bytes, Bytes({0x00, 0x80}));
    EXPECT_EQ(relocate(REL_VALUE, 2, value_of(0x10000), {0, 0}).link_failed, 1);
    EXPECT_EQ(relocate(REL_VALUE, 3, value_of(-2), {0, 0, 0}).bytes, Bytes({0xFE, 0xFF, 0xFF}));
    EXPECT_EQ(relocate(REL_VALUE, 3, value_of(0xFFFFFF), {0, 0, 0}).link_failed, 0);
    EXPECT_EQ(relocate(REL_VALUE, 3, value_of(-8388609), {0, 0, 0}).link_failed, 1);
    Field any = relocate(REL_VALUE, 4, value_of(INT32_MIN), {0, 0, 0, 0});
    EXPECT_EQ(any.bytes, Bytes({0x00, 0x00, 0x00, 0x80}));
    EXPECT_EQ(any.out, "");
}

TEST(RangeCheck, TheOffsetCountsFromTheFieldsUnitAndAddressesAboveFFFFPrintInFull) {
    FieldSetup setup;
    setup.field_offset = 0x23;
    Field field = relocate(REL_ZERO_PAGE, 1, value_of(0x300), Bytes(0x30, 0), setup);
    EXPECT_EQ(field.out, range_message(25, "Expression is out of ZERO page.", "1023", "0023"));
    FieldSetup bank;
    bank.bank_mode = 1;
    bank.unit_address = 0x10200;
    Field high = relocate(REL_ZERO_PAGE, 1, value_of(0x300), {0}, bank);
    EXPECT_EQ(high.out, range_message(25, "Expression is out of ZERO page.", "10201", "0001"));
}

TEST(RangeCheck, AMismatchedNameAloneDoesNotFailTheLink) {
    Field field = relocate(REL_VALUE, 1, Expr(k(0), name_term("flag")), {0});
    EXPECT_EQ(field.status, 0);
    EXPECT_EQ(field.out, "ERROR NO.27: label \"flag\" type is mismatch.\n");
    EXPECT_EQ(field.link_failed, 0);
    EXPECT_EQ(field.bytes, Bytes({0x20}));
}

TEST(RangeCheck, FieldSizesAndTypesOutsideTheTableAreInternalErrors) {
    struct Case {
        uint8_t type;
        uint8_t size;
        const char* point;
    };
    for (const Case& c : {Case{REL_RELATIVE, 3, "28"}, Case{REL_BIT_ADDRESS, 3, "27.5"},
                          Case{REL_VALUE, 5, "29"}, Case{0x20, 1, "30"}, Case{0x00, 1, "30"}}) {
        Field field = relocate(c.type, c.size, value_of(1), Bytes(c.size, 0));
        EXPECT_EQ(field.status, 4) << c.point;
        EXPECT_EQ(field.out, internal_error_text(c.point));
    }
}

}  // namespace
}  // namespace orv::test::p2
