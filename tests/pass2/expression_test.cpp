#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

using namespace orvfixture;

// Evaluates expressions of a module whose units are X (another module's),
// P at 0xC000 and ABS (absolute) at 0x2000; section P also has a unit of
// another module, so its length is 0x42.
class ExpressionTest : public ::testing::Test {
protected:
    ExpressionTest() {
        h.unit("X", 0x0100, 0x10);
        h.unit("P", 0xC000, 0x30);
        h.unit("ABS", 0x2000, 0x10, 1);
        h.unit("P", 0xC030, 0x12);
        h.module(1, 2);
        h.name("start", 0x1234);
        h.name("flag", 0x20, 5);
        h.name("ready", 0x21, 1);
    }

    // The value of the expression; `status` is the fatal error's exit
    // status (0 when none) and `consumed_all` tells whether the whole
    // expression was read, end byte included.
    int32_t evaluate(const ByteWriter& bytes, int type = REL_VALUE) {
        h.write("EXPR.BIN", bytes);
        auto stream = h.open("EXPR.BIN");
        h.ctx.pass2.rel_type = type;
        int32_t value = 0;
        status = h.run([&] { value = evaluate_expression(h.ctx, *stream); });
        consumed_all = stream->get() == ImageCursor::END;
        return value;
    }

    // What the console received since the last call.
    std::string new_output() {
        std::string all = h.out.text();
        std::string fresh = all.substr(seen);
        seen = all.size();
        return fresh;
    }

    Pass2Harness h;
    int status = -1;
    bool consumed_all = false;
    std::size_t seen = 0;
};

struct ValueCase {
    const char* what;
    Expr expr;
    int32_t value;
    int type = REL_VALUE;
    std::vector<const char*> mismatched = {};  // names listed with message 27
};

TEST_F(ExpressionTest, TermsAndOperatorsEvaluateStrictlyLeftToRightIn32Bits) {
    const std::vector<ValueCase> cases = {
        {"1 + 2 * 3", e(k(1)).then('+', k(2)).then('*', k(3)), 9},
        {"10 - 2 - 3", e(k(10)).then('-', k(2)).then('-', k(3)), 5},
        {"-7 / 2", e(k(-7)).then('/', k(2)), -3},
        {"-7 % 2", e(k(-7)).then('%', k(2)), -1},
        {"7 % -2", e(k(7)).then('%', k(-2)), 1},
        {"min % -1", e(k(INT32_MIN)).then('%', k(-1)), 0},
        {"min / 1", e(k(INT32_MIN)).then('/', k(1)), INT32_MIN},
        {"& | ^", e(k(0x0F0F)).then('&', k(0xFF)).then('|', k(0x1000)).then('^', k(0x1001)), 0x0E},
        {"max + 1", e(k(INT32_MAX)).then('+', k(1)), INT32_MIN},
        {"min - 1", e(k(INT32_MIN)).then('-', k(1)), INT32_MAX},
        {"0x10000 * 0x10000", e(k(0x10000)).then('*', k(0x10000)), 0},
        {"min * -1", e(k(INT32_MIN)).then('*', k(-1)), INT32_MIN},
        {"-16 > 2", e(k(-16)).then('>', k(2)), -4},
        {"1 < 33", e(k(1)).then('<', k(33)), 2},
        {"1 < -1", e(k(1)).then('<', k(-1)), INT32_MIN},
        {"min > 31", e(k(INT32_MIN)).then('>', k(31)), -1},
        {"0x40000000 > 30", e(k(0x40000000)).then('>', k(30)), 1},
        {"-1 < 4", e(k(-1)).then('<', k(4)), -16},
        {"!0", e(k(0, PREFIX_NOT)), -1},
        {"~0x0F", e(k(0x0F, PREFIX_COMPLEMENT)), ~0x0F},
        {"-5", e(k(5, PREFIX_NEGATE)), -5},
        {"-min", e(k(INT32_MIN, PREFIX_NEGATE)), INT32_MIN},
        {"+5", e(k(5, PREFIX_PLUS)), 5},
        {"high 0x1234", e(k(0x1234, PREFIX_HIGH)), 0x12},
        {"low 0x1234", e(k(0x1234, PREFIX_LOW)), 0x34},
        {"bank 0x12345", e(k(0x12345, PREFIX_BANK)), 0x01},
        {"low16 0x12345", e(k(0x12345, PREFIX_LOW16)), 0x2345},
        {"bank -1", e(k(-1, PREFIX_BANK)), 0xFF},
        {"high -2", e(k(-2, PREFIX_HIGH)), 0xFF},
        {"a prefix binds to its term", e(k(1)).then('-', k(0x1234, PREFIX_LOW)), 1 - 0x34},
        {"relocatable unit", e(unit_term(0, 0x12)), 0xC012},
        {"absolute unit", e(unit_term(1, 0x2005)), 0x2005},
        {"high of a unit", e(unit_term(0, 0x12, PREFIX_HIGH)), 0xC0},
        {"size of p", e(section_size_term("p")), 0x42},
        {"two sizes", e(section_size_term("ABS")).then('+', section_size_term("P")), 0x52},
        {"label", e(name_term("start")).then('+', k(1)), 0x1235},
        {"bit number", Expr(name_term("flag"), name_term("flag")), 5, REL_BIT_NUMBER},
        {"bit address", Expr(name_term("flag"), name_term("flag")), 0x20, REL_BIT_ADDRESS},
        // A name of the wrong kind is listed once per operand, the leading
        // term included, and its value is used all the same.
        {"two bit symbols", e(name_term("flag")).then('+', name_term("ready")), 0x41, REL_VALUE,
         {"flag", "ready"}},
        {"bit symbol leading", Expr(name_term("flag"), k(3)), 3, REL_VALUE, {"flag"}},
        {"bit symbol as bit value", e(name_term("flag")), 0x20, REL_BIT_VALUE, {"flag"}},
        {"bit symbol in zero page", e(name_term("flag")), 0x20, REL_ZERO_PAGE, {"flag"}},
        {"label as bit number", e(name_term("start")), 0, REL_BIT_NUMBER, {"start"}},
        {"label as bit address", e(name_term("start")), 0x1234, REL_BIT_ADDRESS, {"start"}},
        {"relative jumps take any kind", e(name_term("flag")), 0x20, REL_RELATIVE},
        {"unknown types take any kind", e(name_term("flag")), 0x20, 0x20},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(evaluate(ByteWriter().raw(c.expr.bytes()), c.type), c.value);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(consumed_all);
        std::string listed;
        for (const char* name : c.mismatched) {
            listed += "ERROR NO.27: label \"" + std::string(name) + "\" type is mismatch.\n";
        }
        EXPECT_EQ(new_output(), listed);
    }
    EXPECT_EQ(h.ctx.link_failed, 0);
}

TEST_F(ExpressionTest, MalformedExpressionsStopAtTheirOwnPoint) {
    const std::vector<std::pair<const char*, ByteWriter>> cases = {
        {"27", ByteWriter().raw(e(k(1)).then_code(0x40, k(2)).bytes())},
        {"27", ByteWriter().raw(e(k(1)).then_code(0x21, k(2)).bytes())},
        {"34", ByteWriter().n1(0xF4).n1(0).n1(0xF2).n4(1).n1(0xFF)},
        {"34", ByteWriter().n1(0x2D).n1(0x2D).n4(1).n1(0xFF)},
        {"31", ByteWriter().raw(e(name_term("nowhere")).bytes())},
        {"25.5", ByteWriter().raw(e(unit_term(2, 0)).bytes())},
        {"32", ByteWriter().raw(e(section_size_term("P", NO_PREFIX)).bytes())},
        {"33", ByteWriter().raw(e(section_size_term("abs")).bytes())},
        {"27.1", ByteWriter().raw(e(k(5)).then('/', k(0)).bytes())},
        {"27.1", ByteWriter().raw(e(k(5)).then('%', k(0)).bytes())},
        {"27.2", ByteWriter().raw(e(k(INT32_MIN)).then('/', k(-1)).bytes())},
        // The file ends: before the first term, before an operator, inside
        // a number, inside a name.
        {"34", ByteWriter().raw(Bytes{0xF2, 0, 0, 0, 0})},
        {"27", ByteWriter().raw(Bytes{0xF2, 0, 0, 0, 0, 0xF2, 0, 0, 0, 1})},
        {"9", ByteWriter().raw(Bytes{0xF2, 0, 0})},
        {"10", ByteWriter().raw(Bytes{0xF1, 'a', 'b'})},
    };
    for (const auto& [point, bytes] : cases) {
        SCOPED_TRACE(point);
        evaluate(bytes);
        EXPECT_EQ(status, 4);
        EXPECT_EQ(new_output(), internal_error_text(point));
    }
}

}  // namespace
}  // namespace orv::test::p2
