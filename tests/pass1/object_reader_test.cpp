#include <gtest/gtest.h>

#include <string>

#include "pass1_harness.h"

namespace orv::test {
namespace {

using Lines = std::vector<std::string>;

// Only one-letter names z, s, p, r are upper-cased; units join their section
// in reading order.
TEST(ObjectReader, UnitEntriesGoIntoTheSectionTable) {
    Pass1Harness h;
    ObjectWriter w;
    w.header("main.src")
        .units({{"CODE", 0, 0, 0, 0x120}, {"p", 0, 1, 0xC000, 0x10}, {"DATA", 1, 0, 0, 4}, {"P"}, {"pp"}, {"PP"},
                {"z"}, {"x"}})
        .end();
    h.write("M.ROV", w);
    h.read_module("M.ROV");
    EXPECT_EQ(units_of(h.ctx), (Lines{"CODE 0 0 0 0 120 M.ROV main.src -", "P 1 0 1 C000 10 M.ROV main.src -",
                                      "P 3 0 0 0 0 M.ROV main.src -", "DATA 2 1 0 0 4 M.ROV main.src -",
                                      "pp 4 0 0 0 0 M.ROV main.src -", "PP 5 0 0 0 0 M.ROV main.src -",
                                      "Z 6 0 0 0 0 M.ROV main.src -", "x 7 0 0 0 0 M.ROV main.src -"}));
    EXPECT_EQ(h.ctx.sections.unit_count, 8);
    EXPECT_EQ(h.out.text(), "");
}

// Every record kind, in an order that references a label before and after
// defining it, up to each of the stop tags; the bytes after it stay unread.
// Value 0 with a name is a label, a non-zero value with an empty name is
// entered under the empty name.
TEST(ObjectReader, ReadsEveryDefinitionAndReferenceUpToEachStopTag) {
    for (int stop : {0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFF}) {
        SCOPED_TRACE(stop);
        Pass1Harness h;
        ObjectWriter w;
        w.header()
            .externals({"ext1", "lab1"})
            .bit_symbols({{0x01, 0x20, "b0"}, {0x80, 0x21, "b7"}, {0x08, 0, "b3_at_0"}})
            .labels({{1, {{0x12, "lab1"}, {0, "zero"}}}, {0, {{0xABCDEF, "lab0"}}}})
            .symbols({{0xFFFFFFFF, "all_ones"}, {0, "sym_zero"}, {5, ""}})
            .units({{"CODE"}, {"DATA"}})
            .externals({"lab0"})
            .tag(uint8_t(stop))
            .raw({0x01, 0x02});
        h.write("M.ROV", w);
        EXPECT_EQ(h.read_module("M.ROV"), long(w.size()) - 2);
        EXPECT_EQ(h.ctx.reader.next_tag, stop);
        EXPECT_EQ(symbols_of(h.ctx.symbols),
                  (Lines{" 0 1 5 0 0 M.ROV -", "all_ones 0 1 FFFFFFFF 0 0 M.ROV -", "b0 0 2 20 0 0 M.ROV -",
                         "b3_at_0 0 2 0 0 3 M.ROV -", "b7 0 2 21 0 7 M.ROV -", "ext1 1 0 0 0 0 M.ROV -",
                         "lab0 0 0 ABCDEF 0 0 M.ROV -", "lab1 0 0 12 1 0 M.ROV -", "sym_zero 0 1 0 0 0 M.ROV -",
                         "zero 0 0 0 1 0 M.ROV -"}));
        EXPECT_TRUE(h.ctx.symbols.has_unresolved());
    }
}

// Each run of unit entries numbers from 0, while the module's units number
// on; label groups count from the module's first unit, may come before their
// units, and an empty group names no unit.
TEST(ObjectReader, UnitRunsAndLabelGroupsCountFromTheModulesFirstUnit) {
    Pass1Harness h;
    ObjectWriter first, second;
    first.header().units({{"A"}, {"B"}}).end();
    second.header()
        .labels({{2, {{0x10, "in_r"}}}, {9, {}}})
        .units({{"P"}, {"Q"}})
        .symbols({{1, "s"}})
        .units({{"R"}})
        .labels(0, {{0x20, "in_p"}})
        .end();
    h.write("A.ROV", first);
    h.write("B.ROV", second);
    h.read_module("A.ROV");
    h.read_module("B.ROV");
    EXPECT_EQ(units_of(h.ctx)[4], "R 4 0 0 0 0 B.ROV main.src -");
    EXPECT_EQ(h.ctx.symbols.find_symbol("in_r")->unit_no, 4);
    EXPECT_EQ(h.ctx.symbols.find_symbol("in_p")->unit_no, 2);
}

// 511 characters are kept; the tail of a longer name is dropped, and reading
// goes on after it. A module without records adds nothing.
TEST(ObjectReader, LongNamesAndEmptyModules) {
    Pass1Harness h;
    const std::string kept(511, 'L');
    ObjectWriter w, empty;
    w.header().externals({std::string(511, 'e'), kept + std::string(89, 'x'), "after"}).end();
    empty.header().tag(0xF8);
    h.write("M.ROV", w);
    h.write("E.ROV", empty);
    h.read_module("M.ROV");
    EXPECT_EQ(h.read_module("E.ROV"), long(empty.size()));
    Lines names;
    for (const SymbolEntry* e : h.ctx.symbols.in_name_order()) names.push_back(e->name);
    EXPECT_EQ(names, (Lines{kept, "after", std::string(511, 'e')}));
    EXPECT_EQ(h.ctx.sections.unit_count, 0);
}

// The refusals (errors 7, 8 and 30) are shown end to end; these pass.
TEST(ObjectReader, AcceptedFormatsAddressesAndVersions) {
    Pass1Harness h;
    ObjectWriter a, b, c;
    a.header("a", "1.00", {}, {}, "VER.A2.01").units({{"E", 0, 1, 0xFFFF, 1}}).end();
    b.header("b", "2.00").end();  // another version: compared only with -V
    c.header("c", "1.00").units({{"F", 0, 1, 0xFFFFFF, 1}}).end();
    h.write("A.ROV", a);
    h.write("B.ROV", b);
    h.write("C.ROV", c);
    h.read_module("A.ROV");
    h.read_module("B.ROV");
    h.ctx.options.bank_mode = 1;
    h.ctx.options.opt_version_check = 1;
    h.read_module("C.ROV");
    h.read_module("C.ROV");  // the same version again
    EXPECT_EQ(units_of(h.ctx)[1], "F 1 0 1 FFFFFF 1 C.ROV c -");
    EXPECT_STREQ(h.ctx.reader.first_version, "1.00");
}

}  // namespace
}  // namespace orv::test
