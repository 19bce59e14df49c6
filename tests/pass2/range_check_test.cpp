#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

// What became of one relocated field.
struct Field {
    int status = -1;
    std::string out;
    int link_failed = 0;
    Bytes bytes;  // the field's bytes in the image
};

struct Layout {
    int bank_mode = 0;
    int32_t unit_address = 0x1000;
    uint32_t field_offset = 1;
};

// One module with one relocatable unit in section P, placed after a unit of
// another module so that a message's offset counts from this unit: a block
// of bytes 0xEE up to the field, the field's placeholder and one byte 0xDD,
// and one relocation entry for the field.
Field relocate(uint8_t type, const Expr& expr, const Bytes& placeholder, const Layout& layout = {}) {
    Pass2Harness h;
    h.ctx.options.bank_mode = layout.bank_mode;
    h.ctx.options.max_address = layout.bank_mode ? 0x1FFFF : 0xFFFF;
    h.unit("P", layout.unit_address - 0x100, 0x100);
    h.unit("P", layout.unit_address, 0x100);
    h.name("target", 0x1081);
    h.name("flag", 0x20, 3);
    h.module(1, 1);
    Bytes data(layout.field_offset, 0xEE);
    data.insert(data.end(), placeholder.begin(), placeholder.end());
    data.push_back(0xDD);
    uint8_t size = uint8_t(placeholder.size());
    Field field;
    field.status = h.process(ObjectWriter()
                                 .relocation(0, {{layout.field_offset, type, size, expr}})
                                 .contents(0, {{0, data}})
                                 .end());
    field.out = h.out.text();
    field.link_failed = h.ctx.link_failed;
    if (field.status != 0) return field;
    Bytes image = h.image();
    EXPECT_EQ(image.size(), data.size());
    if (image.size() == data.size() && image.front() == 0xEE && image.back() == 0xDD) {
        field.bytes.assign(image.begin() + layout.field_offset, image.end() - 1);
    }
    return field;
}

std::string range_message(int number, const std::string& address, const std::string& offset) {
    static const std::map<int, std::string> heads = {
        {17, "Expression value is out of range."}, {19, "Relative jump is out of range."},
        {25, "Expression is out of ZERO page."},   {26, "Expression is out of SPECIAL page."},
        {29, "Bit value is out of range."},
    };
    return "ERROR NO." + std::to_string(number) + ": " + heads.at(number) +
           "\n             SECTION=P ADDRESS=" + address + " OFFSET=" + offset + "\n";
}

struct FieldCase {
    uint8_t type;
    Expr expr;
    Bytes placeholder;
    Bytes stored;
    int error = 0;  // the range error reported, 0 for none
    int bank_mode = 0;
};

TEST(RangeCheck, EachTypeAcceptsItsRangeAndStoresTheValueOrItsReplacement) {
    const Expr target = e(name_term("target"));
    const Expr flag = e(name_term("flag"));
    const std::vector<FieldCase> cases = {
        // The field is at 0x1001: a jump counts from 0x1002 (one byte) or
        // 0x1003 (two bytes); one out of range is stored all the same.
        {REL_RELATIVE, target, {0}, {0x7F}},
        {REL_RELATIVE, e(name_term("target")).then('+', k(1)), {0}, {0x80}, 19},
        {REL_RELATIVE, e(k(0x1003 - 32768)), {0, 0}, {0x00, 0x80}},
        {REL_RELATIVE, e(k(0x1003 + 32768)), {0, 0}, {0x00, 0x80}, 19},
        {REL_ZERO_PAGE, e(k(0xFF)), {0}, {0xFF}},
        {REL_ZERO_PAGE, e(k(0x100)), {0x55}, {0x00}, 25},
        {REL_ZERO_PAGE, e(k(-1)), {0x55}, {0x00}, 25},
        {REL_ADDRESS, e(k(0xFFFF)), {0, 0}, {0xFF, 0xFF}},
        {REL_ADDRESS, e(k(0x10000)), {0x55, 0x55}, {0x00, 0x00}, 17},
        {REL_ADDRESS, e(k(0x1FFFF)), {0, 0, 0}, {0xFF, 0xFF, 0x01}, 0, 1},
        {REL_ADDRESS, e(k(0x20000)), {0x55, 0x55, 0x55}, {0, 0, 0}, 17, 1},
        {REL_SPECIAL_PAGE, e(k(0xFF80)), {0}, {0x80}},
        {REL_SPECIAL_PAGE, e(k(0xFEFF)), {0x55}, {0x00}, 26},
        {REL_SPECIAL_PAGE, e(k(0x10000)), {0x55}, {0x00}, 26},
        {REL_SPECIAL_PAGE, e(k(0x1FFFF)), {0, 0}, {0xFF, 0x00}, 0, 1},
        // Bit numbers are added into bits 5 to 7 of the placeholder; every
        // further byte takes the value shifted on by a byte.
        {REL_BIT_NUMBER, flag, {0x0B}, {0x6B}},
        {REL_BIT_NUMBER, e(name_term("flag")).then('+', k(5)), {0x0B}, {0x0B}, 29},
        {REL_BIT_VALUE, e(k(7)), {0x01}, {0xE1}},
        {REL_BIT_VALUE, e(k(-1)), {0x01}, {0x01}, 29},
        {REL_BIT_VALUE, e(k(5)), {0x0B, 0x10}, {0xAB, 0x10}},
        {REL_BIT_ADDRESS, flag, {0}, {0x20}},
        {REL_BIT_ADDRESS, e(k(0x120)), {0x55}, {0x00}, 25},
        {REL_BIT_ADDRESS, e(k(0x120)), {0, 0}, {0x20, 0x01}},
        {REL_BIT_ADDRESS, e(k(0x10000)), {0x55, 0x55}, {0x00, 0x00}, 17},
        {REL_VALUE, e(k(-128)), {0}, {0x80}},
        {REL_VALUE, e(k(255)), {0}, {0xFF}},
        {REL_VALUE, e(k(-129)), {0}, {0x7F}, 17},
        {REL_VALUE, e(k(256)), {0}, {0x00}, 17},
        {REL_VALUE, e(k(-32768)), {0, 0}, {0x00, 0x80}},
        {REL_VALUE, e(k(0x10000)), {0, 0}, {0x00, 0x00}, 17},
        {REL_VALUE, e(k(-2)), {0, 0, 0}, {0xFE, 0xFF, 0xFF}},
        {REL_VALUE, e(k(0xFFFFFF)), {0, 0, 0}, {0xFF, 0xFF, 0xFF}},
        {REL_VALUE, e(k(-8388609)), {0, 0, 0}, {0xFF, 0xFF, 0x7F}, 17},
        {REL_VALUE, e(k(INT32_MIN)), {0, 0, 0, 0}, {0x00, 0x00, 0x00, 0x80}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const FieldCase& c = cases[i];
        SCOPED_TRACE("row " + std::to_string(i));
        Layout layout;
        layout.bank_mode = c.bank_mode;
        Field field = relocate(c.type, c.expr, c.placeholder, layout);
        EXPECT_EQ(field.status, 0);
        EXPECT_EQ(field.bytes, c.stored);
        EXPECT_EQ(field.out, c.error == 0 ? "" : range_message(c.error, "1001", "0001"));
        EXPECT_EQ(field.link_failed, c.error == 0 ? 0 : 1);
    }
}

TEST(RangeCheck, TheOffsetCountsFromTheFieldsUnitAndWideAddressesPrintInFull) {
    Layout deep;
    deep.field_offset = 0x23;
    EXPECT_EQ(relocate(REL_ZERO_PAGE, e(k(0x300)), {0}, deep).out,
              range_message(25, "1023", "0023"));
    Layout high;
    high.bank_mode = 1;
    high.unit_address = 0x10200;
    EXPECT_EQ(relocate(REL_ZERO_PAGE, e(k(0x300)), {0}, high).out, range_message(25, "10201", "0001"));
}

TEST(RangeCheck, FieldSizesAndTypesOutsideTheTableAreInternalErrors) {
    struct Case {
        uint8_t type;
        uint8_t size;
        const char* point;
    };
    for (const Case& c : {Case{REL_RELATIVE, 3, "28"}, Case{REL_BIT_ADDRESS, 3, "27.5"},
                          Case{REL_VALUE, 5, "29"}, Case{0x20, 1, "30"}, Case{0x00, 1, "30"}}) {
        SCOPED_TRACE(c.point);
        Field field = relocate(c.type, e(k(1)), Bytes(c.size, 0));
        EXPECT_EQ(field.status, 4);
        EXPECT_EQ(field.out, internal_error_text(c.point));
    }
}

}  // namespace
}  // namespace orv::test::p2
