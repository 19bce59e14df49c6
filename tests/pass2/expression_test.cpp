#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "pass2/relocation.h"
#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

using orvfixture::ByteWriter;
using orvfixture::Bytes;
using orvfixture::constant_term;
using orvfixture::Expr;
using orvfixture::name_term;
using orvfixture::section_size_term;
using orvfixture::Term;
using orvfixture::unit_term;

Term k(int32_t value, uint8_t prefix = orvfixture::NO_PREFIX) {
    return constant_term(uint32_t(value), prefix);
}

// Evaluates expressions of one module whose units the test lays out.
class ExpressionTest : public ::testing::Test {
protected:
    ExpressionTest() { h.ctx.pass2.rel_type = REL_VALUE; }

    // The value of the expression, or the fatal error's exit status in
    // `status` (0 when none).
    int32_t evaluate(const Expr& expr) { return evaluate_bytes(ByteWriter().raw(expr.bytes())); }

    int32_t evaluate_bytes(const ByteWriter& bytes) {
        std::string name = "EXPR" + std::to_string(++files) + ".BIN";
        h.write(name, bytes);
        auto stream = h.open(name);
        int32_t value = 0;
        status = h.run([&] { value = evaluate_expression(h.ctx, *stream); });
        consumed_all = stream->get() == BinaryInput::END;
        return value;
    }

    // The leading term of these expressions is a plain constant.
    static Expr e(Term first) { return Expr(k(0), std::move(first)); }

    Pass2Harness h;
    int status = -1;
    bool consumed_all = false;
    int files = 0;
};

TEST_F(ExpressionTest, BinaryOperatorsApplyStrictlyFromLeftToRight) {
    EXPECT_EQ(evaluate(e(k(1)).then('+', k(2)).then('*', k(3))), 9);
    EXPECT_TRUE(consumed_all);
    EXPECT_EQ(evaluate(e(k(10)).then('-', k(2)).then('-', k(3))), 5);
    EXPECT_EQ(evaluate(e(k(-7)).then('/', k(2))), -3);
    EXPECT_EQ(evaluate(e(k(-7)).then('%', k(2))), -1);
    EXPECT_EQ(evaluate(e(k(7)).then('%', k(-2))), 1);
    EXPECT_EQ(evaluate(e(k(0x0F0F)).then('&', k(0x00FF)).then('|', k(0x1000)).then('^', k(0x1001))), 0x000E);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(h.out_text(), "");
}

TEST_F(ExpressionTest, ArithmeticWrapsAroundAtThirtyTwoBits) {
    EXPECT_EQ(evaluate(e(k(INT32_MAX)).then('+', k(1))), INT32_MIN);
    EXPECT_EQ(evaluate(e(k(INT32_MIN)).then('-', k(1))), INT32_MAX);
    EXPECT_EQ(evaluate(e(k(0x10000)).then('*', k(0x10000))), 0);
    EXPECT_EQ(evaluate(e(k(INT32_MIN)).then('*', k(-1))), INT32_MIN);
    EXPECT_EQ(status, 0);
}

TEST_F(ExpressionTest, ShiftsTakeTheLowFiveBitsOfTheCountAndShiftRightArithmetically) {
    EXPECT_EQ(evaluate(e(k(-16)).then('>', k(2))), -4);
    EXPECT_EQ(evaluate(e(k(1)).then('<', k(33))), 2);
    EXPECT_EQ(evaluate(e(k(1)).then('<', k(-1))), INT32_MIN);
    EXPECT_EQ(evaluate(e(k(INT32_MIN)).then('>', k(31))), -1);
    EXPECT_EQ(evaluate(e(k(0x40000000)).then('>', k(30))), 1);
    EXPECT_EQ(evaluate(e(k(-1)).then('<', k(4))), -16);
    EXPECT_EQ(status, 0);
}

TEST_F(ExpressionTest, PrefixesTransformTheirOperand) {
    using namespace orvfixture;
    EXPECT_EQ(evaluate(e(k(0, PREFIX_NOT))), -1);
    EXPECT_EQ(evaluate(e(k(0x0F, PREFIX_COMPLEMENT))), ~0x0F);
    EXPECT_EQ(evaluate(e(k(5, PREFIX_NEGATE))), -5);
    EXPECT_EQ(evaluate(e(k(INT32_MIN, PREFIX_NEGATE))), INT32_MIN);
    EXPECT_EQ(evaluate(e(k(5, PREFIX_PLUS))), 5);
    EXPECT_EQ(evaluate(e(k(0x1234, PREFIX_HIGH))), 0x12);
    EXPECT_EQ(evaluate(e(k(0x1234, PREFIX_LOW))), 0x34);
    EXPECT_EQ(evaluate(e(k(0x12345, PREFIX_BANK))), 0x01);
    EXPECT_EQ(evaluate(e(k(0x12345, PREFIX_LOW16))), 0x2345);
    EXPECT_EQ(evaluate(e(k(-1, PREFIX_BANK))), 0xFF);
    EXPECT_EQ(evaluate(e(k(-2, PREFIX_HIGH))), 0xFF);
    // A prefix binds to its own term only.
    EXPECT_EQ(evaluate(e(k(1)).then('-', k(0x1234, PREFIX_LOW))), 1 - 0x34);
    EXPECT_EQ(status, 0);
}

TEST_F(ExpressionTest, UnitOperandsAddThePlacedAddressOfARelocatableUnitOnly) {
    h.unit("X", 0x0100, 0x10);        // another module's unit
    h.unit("P", 0xC000, 0x40);        // module-local 0
    h.unit("ABS", 0x2000, 0x10, 1);   // module-local 1
    h.module(1, 2);
    EXPECT_EQ(evaluate(e(unit_term(0, 0x12))), 0xC012);
    EXPECT_EQ(evaluate(e(unit_term(1, 0x2005))), 0x2005);
    EXPECT_EQ(evaluate(e(unit_term(0, 0x12, orvfixture::PREFIX_HIGH))), 0xC0);
    EXPECT_EQ(status, 0);
}

TEST_F(ExpressionTest, NamesGiveTheirValueOrInABitNumberFieldTheirBitNumber) {
    h.label("start", 0x1234);
    h.bit_symbol("flag", 0x20, 5);
    EXPECT_EQ(evaluate(e(name_term("start")).then('+', k(1))), 0x1235);
    h.ctx.pass2.rel_type = REL_BIT_NUMBER;
    EXPECT_EQ(evaluate(Expr(name_term("flag"), name_term("flag"))), 5);
    h.ctx.pass2.rel_type = REL_BIT_ADDRESS;
    EXPECT_EQ(evaluate(Expr(name_term("flag"), name_term("flag"))), 0x20);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(h.out_text(), "");
}

TEST_F(ExpressionTest, ANameOfTheWrongKindIsListedOncePerOperandAndFailsNothing) {
    h.label("start", 0x1234);
    h.bit_symbol("flag", 0x20, 5);
    h.bit_symbol("ready", 0x21, 1);
    EXPECT_EQ(evaluate(e(name_term("flag")).then('+', name_term("ready"))), 0x41);
    EXPECT_EQ(h.out_text(),
              "ERROR NO.27: label \"flag\" type is mismatch.\n"
              "ERROR NO.27: label \"ready\" type is mismatch.\n");
    // The leading term is checked too, though its value is dropped.
    EXPECT_EQ(evaluate(Expr(name_term("flag"), k(3))), 3);
    // A label where a bit symbol belongs: the bit number is still taken.
    h.ctx.pass2.rel_type = REL_BIT_NUMBER;
    EXPECT_EQ(evaluate(e(name_term("start"))), 0);
    h.ctx.pass2.rel_type = REL_BIT_ADDRESS;
    EXPECT_EQ(evaluate(e(name_term("start"))), 0x1234);
    // A relative jump does not look at the kind.
    h.ctx.pass2.rel_type = REL_RELATIVE;
    EXPECT_EQ(evaluate(e(name_term("flag"))), 0x20);
    EXPECT_EQ(h.out_text(),
              "ERROR NO.27: label \"flag\" type is mismatch.\n"
              "ERROR NO.27: label \"ready\" type is mismatch.\n"
              "ERROR NO.27: label \"flag\" type is mismatch.\n"
              "ERROR NO.27: label \"start\" type is mismatch.\n"
              "ERROR NO.27: label \"start\" type is mismatch.\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(h.ctx.link_failed, 0);
}

TEST_F(ExpressionTest, SectionSizeOperandsFindTheSectionUnderTheOneLetterRule) {
    h.unit("P", 0x1000, 0x30);
    h.unit("P", 0x1030, 0x12);
    h.unit("data", 0x2000, 0x08);
    EXPECT_EQ(evaluate(e(section_size_term("p"))), 0x42);
    EXPECT_EQ(evaluate(e(section_size_term("data")).then('+', section_size_term("P"))), 0x4A);
    EXPECT_EQ(status, 0);
    evaluate(e(section_size_term("DATA")));
    EXPECT_EQ(status, 4);
    evaluate(e(section_size_term("P", orvfixture::NO_PREFIX)));
    EXPECT_EQ(status, 4);
    EXPECT_EQ(h.out_text(), internal_error_text("33") + internal_error_text("32"));
}

struct BrokenExpression {
    const char* point;
    ByteWriter bytes;
};

TEST_F(ExpressionTest, MalformedExpressionsStopAtTheirOwnPoint) {
    h.unit("P", 0x1000, 0x10);
    h.module(0, 0);
    const Expr plain = e(k(1));
    std::vector<BrokenExpression> cases = {
        {"27", ByteWriter().raw(Expr(k(0), k(1)).then_code(0x40, k(2)).bytes())},
        {"27", ByteWriter().raw(Expr(k(0), k(1)).then_code(0x21, k(2)).bytes())},
        {"34", ByteWriter().n1(0xF4).n1(0).n1(0xF2).n4(1).n1(0xFF)},
        {"34", ByteWriter().n1(0x2D).n1(0x2D).n4(1).n1(0xFF)},
        {"31", ByteWriter().raw(e(name_term("nowhere")).bytes())},
        {"25.5", ByteWriter().raw(e(unit_term(1, 0)).bytes())},
        {"27.1", ByteWriter().raw(e(k(5)).then('/', k(0)).bytes())},
        {"27.1", ByteWriter().raw(e(k(5)).then('%', k(0)).bytes())},
        {"27.2", ByteWriter().raw(e(k(INT32_MIN)).then('/', k(-1)).bytes())},
        // The file ending inside an expression stops it.
        {"34", ByteWriter().raw(Bytes{0xF2, 0, 0, 0, 0})},
        {"27", ByteWriter().raw(Bytes{0xF2, 0, 0, 0, 0, 0xF2, 0, 0, 0, 1})},
        {"9", ByteWriter().raw(Bytes{0xF2, 0, 0})},
        {"10", ByteWriter().raw(Bytes{0xF1, 'a', 'b'})},
    };
    std::string expected;
    for (const BrokenExpression& c : cases) {
        evaluate_bytes(c.bytes);
        EXPECT_EQ(status, 4) << c.point;
        expected += internal_error_text(c.point);
    }
    EXPECT_EQ(h.out_text(), expected);
    EXPECT_EQ(evaluate(plain), 1);
}

TEST_F(ExpressionTest, TheMostNegativeValueLeavesRemainderZeroByMinusOne) {
    EXPECT_EQ(evaluate(e(k(INT32_MIN)).then('%', k(-1))), 0);
    EXPECT_EQ(evaluate(e(k(INT32_MIN)).then('/', k(1))), INT32_MIN);
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace orv::test::p2
