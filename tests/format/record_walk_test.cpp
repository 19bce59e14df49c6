#include <gtest/gtest.h>

#include <string>

#include "fixture/object_writer.h"
#include "format/record_walk.h"

namespace orv {
namespace {

using orvfixture::ByteWriter;
using orvfixture::Bytes;
using orvfixture::Expr;

std::string_view text_of(const Bytes& bytes) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes cut(const ByteWriter& writer, std::size_t length) {
    return Bytes(writer.bytes().begin(), writer.bytes().begin() + std::ptrdiff_t(length));
}

// A relocation record (after its tag) with every operand kind, a prefix and
// two operators.
ByteWriter full_record() {
    Expr expression(orvfixture::constant_term(0), orvfixture::unit_term(1, 0x10, PREFIX_LOW));
    expression.then('+', orvfixture::name_term("far")).then('-', orvfixture::section_size_term("DATA"));
    ByteWriter record;
    record.n2(0).n3(0x12).n1(REL_ADDRESS).n1(1).raw(expression.bytes()).n3(0).n1(0);
    return record;
}

TEST(RecordWalk, RelocationRecordsAreWalkedToTheirEndOrTheirFirstFault) {
    const ByteWriter whole = full_record();
    constexpr std::size_t head = 2 + 3 + 1 + 1;  // unit number, address, type, size
    // The leading constant, then the prefix and unit operand, then '+'.
    constexpr std::size_t second_term = head + 5;
    constexpr std::size_t first_operator = second_term + 7;
    struct Case {
        const char* name;
        Bytes bytes;
        WalkStop stop;
        long at = 0;
        int code = 0;
    } cases[] = {
        {"whole record", whole.bytes(), WalkStop::DONE},
        {"no entries", ByteWriter().n2(3).n3(0).n1(0).bytes(), WalkStop::DONE},
        {"ends in the unit number", cut(whole, 1), WalkStop::RECORD_ENDED},
        {"ends in the field size", cut(whole, head - 1), WalkStop::RECORD_ENDED},
        {"ends after the prefix", cut(whole, second_term + 1), WalkStop::EXPRESSION_ENDED},
        {"ends in a unit offset", cut(whole, second_term + 5), WalkStop::EXPRESSION_ENDED},
        {"ends in a name", cut(whole, whole.size() - 8), WalkStop::EXPRESSION_ENDED},
        {"ends before the end byte", cut(whole, whole.size() - 5), WalkStop::EXPRESSION_ENDED},
        {"operand after a prefix", ByteWriter().n2(0).n3(1).n1(0).n1(0).n1(PREFIX_HIGH).n1(0x42).bytes(),
         WalkStop::UNKNOWN_OPERAND, long(head + 1), 0x42},
        {"operator", ByteWriter().raw(cut(whole, first_operator)).n1(0x40).bytes(), WalkStop::UNKNOWN_OPERATOR,
         long(first_operator), 0x40},
    };
    for (const Case& c : cases) {
        ImageCursor cursor(text_of(c.bytes));
        WalkResult walked = walk_relocation_record(cursor);
        EXPECT_EQ(walked.stop, c.stop) << c.name;
        if (c.stop == WalkStop::DONE) {
            EXPECT_EQ(cursor.tell(), long(c.bytes.size())) << c.name;
        }
        if (c.at != 0) {
            EXPECT_EQ(walked.at, c.at) << c.name;
            EXPECT_EQ(walked.code, c.code) << c.name;
        }
    }
}

TEST(RecordWalk, ListReadersGiveEachEntryThenTheClosingOne) {
    ByteWriter lists;
    lists.n3(0x1234).str("start").n3(0).str("");
    lists.n2(0x20).n3(0x40).str("flag").n2(0).n3(0).str("");
    lists.str("ext").str("").n4(7);
    ImageCursor cursor(text_of(lists.bytes()));
    uint32_t value = 0, address = 0;
    std::string_view name;

    ASSERT_EQ(read_named_value(cursor, 3, value, name), ListStep::ENTRY);
    EXPECT_EQ(value, 0x1234u);
    EXPECT_EQ(name, "start");
    EXPECT_EQ(read_named_value(cursor, 3, value, name), ListStep::LIST_END);
    ASSERT_EQ(read_bit_entry(cursor, value, address, name), ListStep::ENTRY);
    EXPECT_EQ(value, 0x20u);
    EXPECT_EQ(address, 0x40u);
    EXPECT_EQ(name, "flag");
    EXPECT_EQ(read_bit_entry(cursor, value, address, name), ListStep::LIST_END);
    ASSERT_EQ(read_listed_name(cursor, name), ListStep::ENTRY);
    EXPECT_EQ(name, "ext");
    EXPECT_EQ(read_listed_name(cursor, name), ListStep::LIST_END);
    EXPECT_EQ(read_named_value(cursor, 4, value, name), ListStep::IMAGE_ENDED) << "no name after the value";

    // A value of 0 with a name, or a name without a value, is still an entry.
    ByteWriter zero_valued;
    zero_valued.n4(0).str("zero").n2(0).n3(0x10).str("");
    ImageCursor again(text_of(zero_valued.bytes()));
    EXPECT_EQ(read_named_value(again, 4, value, name), ListStep::ENTRY);
    EXPECT_EQ(read_bit_entry(again, value, address, name), ListStep::ENTRY);
    EXPECT_EQ(read_bit_entry(again, value, address, name), ListStep::IMAGE_ENDED);
}

TEST(RecordWalk, AMaskNamesABitOnlyWithExactlyOneOfItsLowEightBitsSet) {
    struct Case {
        uint32_t mask;
        int bit;
    } cases[] = {{0x01, 0}, {0x20, 5}, {0x80, 7}, {0x00, -1}, {0x03, -1}, {0x100, -1}, {0x8000, -1}};
    for (const Case& c : cases) EXPECT_EQ(bit_number_of_mask(c.mask), c.bit) << c.mask;
}

}  // namespace
}  // namespace orv
