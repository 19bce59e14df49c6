#include <gtest/gtest.h>

#include <string>

#include "broken_objects.h"
#include "pass1_harness.h"

namespace orv::test {
namespace {

// A name of exactly 511 characters is whole once its zero byte comes; the end
// of the file in its place is met while dropping.
TEST(ObjectReaderErrors, EndOfFileRightAfter511CharactersIsInTheDroppedTail) {
    Pass1Harness h;
    h.dir.write("BAD.ROV", after_object_header(ByteWriter().n1(0xF6).raw(Bytes(511, 'x'))));
    EXPECT_EQ(h.read_module("BAD.ROV"), 4);
    EXPECT_EQ(h.out_text(), internal_error_line("11"));

    Pass1Harness shorter;
    shorter.dir.write("BAD.ROV", after_object_header(ByteWriter().n1(0xF6).raw(Bytes(510, 'x'))));
    EXPECT_EQ(shorter.read_module("BAD.ROV"), 4);
    EXPECT_EQ(shorter.out_text(), internal_error_line("10"));
}

TEST(LabelUnitCheck, LabelNamingAUnitBeyondItsModuleIsRejected) {
    Pass1Harness h;
    ObjectWriter w;
    w.header().units({{"P"}, {"Q"}}).labels(2, {{0x10, "beyond"}}).end();
    h.write("M.ROV", w);
    EXPECT_EQ(h.read_module("M.ROV"), 4);
    EXPECT_EQ(h.out_text(), internal_error_line("7.1"));
    EXPECT_EQ(h.err_text(), "\a");
}

TEST(LabelUnitCheck, ModuleWithoutUnitsMayNotHaveLabels) {
    Pass1Harness h;
    ObjectWriter w;
    w.header().labels(0, {{0, "nowhere"}}).symbols({{1, "fine"}}).end();
    h.write("M.ROV", w);
    EXPECT_EQ(h.read_module("M.ROV"), 4);
    EXPECT_EQ(h.out_text(), internal_error_line("7.1"));
}

// The first module's units exist, but they are not the second module's.
TEST(LabelUnitCheck, UnitsOfAnEarlierModuleDoNotCount) {
    Pass1Harness h;
    ObjectWriter first;
    first.header().units({{"P"}, {"Q"}, {"R"}}).end();
    ObjectWriter second;
    second.header().units({{"P"}}).labels(1, {{4, "in_q_of_first"}}).end();
    h.write("A.ROV", first);
    h.write("B.ROV", second);
    ASSERT_EQ(h.read_module("A.ROV"), 0);
    EXPECT_EQ(h.read_module("B.ROV"), 4);
    EXPECT_EQ(h.out_text(), internal_error_line("7.1"));
}

TEST(LabelUnitCheck, LabelsBeforeTheirUnitsAndEmptyGroupsAreAccepted) {
    Pass1Harness h;
    ObjectWriter w;
    w.header()
        .labels({{1, {{4, "early"}}}, {9, {}}})  // an empty group names no label
        .units({{"P"}})
        .externals({})  // ends the first run of units
        .units({{"Q"}})
        .end();
    h.write("M.ROV", w);
    EXPECT_EQ(h.read_module("M.ROV"), 0);
    EXPECT_EQ(h.ctx.symbols.find_symbol("early")->unit_no, 1);
}

}  // namespace
}  // namespace orv::test
