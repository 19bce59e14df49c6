#include <gtest/gtest.h>

#include <string>

#include "pass2/debug_tables.h"
#include "placement/link_bench.h"

// The table of functions and source lines that pass 2 builds for the
// reports, and the lookup of an address's source line in it.
namespace orv::test {
namespace {

// Units 0 and 1 of one module (CODE at C000, then 20 bytes on), unit 2 an
// absolute unit at E000.
class DebugTableBench : public LinkBench {
public:
    DebugTableBench() {
        units("CODE+20 CODE+10 VEC@E000+4");
        infos("CODE=C000");
        EXPECT_EQ(place(), 0);
    }

    // One module's records, its units from `first` to `last`.
    DebugTableBuilder module(int32_t first, int32_t last) {
        ctx.reader.unit_base = first;
        return DebugTableBuilder(ctx, last);
    }
};

TEST(DebugTables, LinesJoinTheirFunctionsWhicheverComesFirst) {
    DebugTableBench bench;
    DebugTableBuilder table = bench.module(0, 1);
    table.source_file(7, "a.c");
    table.line_entry(12, 4);
    table.line_entry(10, 0);
    table.function(7, "f", 1, 0, 9);
    table.keep("U0.ROV", nullptr);
    const DebugTables& tables = bench.ctx.debug;
    ASSERT_EQ(tables.functions.size(), 1u);
    // The first line is the one at the lowest address, not the first written.
    EXPECT_EQ(tables.functions[0].line, 10u);
    EXPECT_STREQ(tables.functions[0].source_file, "a.c");
    ASSERT_EQ(tables.lines.size(), 2u);
    EXPECT_EQ(tables.lines[0].unit_no, 1);
    EXPECT_TRUE(tables.faults.empty());
}

TEST(DebugTables, AFaultyModuleLeavesAllItsFunctionsOut) {
    DebugTableBench bench;
    auto reason_of = [&bench](auto feed) {
        DebugTableBuilder table = bench.module(0, 1);
        feed(table);
        table.keep("U0.ROV", "M");
        EXPECT_TRUE(bench.ctx.debug.functions.empty());
        const std::string reason = bench.ctx.debug.faults.empty() ? "" : bench.ctx.debug.faults.back().reason;
        bench.ctx.debug.faults.clear();
        return reason;
    };
    EXPECT_EQ(reason_of([](DebugTableBuilder& t) { t.function(1, "ok", 0, 0, 1), t.function(2, "far", 2, 0, 1); }),
              "function far lies in unit 2, which is not the module's");
    EXPECT_EQ(reason_of([](DebugTableBuilder& t) { t.function(1, "back", 0, 5, 4); }),
              "function back ends at 4, before its start 5");
    EXPECT_EQ(reason_of([](DebugTableBuilder& t) { t.function(1, "a", 0, 0, 1), t.function(1, "b", 0, 2, 3); }),
              "function number 1 is given twice");
    EXPECT_EQ(reason_of([](DebugTableBuilder& t) {
                  t.function(1, "a", 0, 0, 1);
                  t.source_file(2, "a.c");
                  t.line_entry(1, 0);
              }),
              "source lines of function 2, which the module does not define");
}

// The line of an address is the last entry of its unit at or before it; an
// absolute unit's entries are addresses.
TEST(DebugTables, SourceLineIndexFindsTheLastEntryAtOrBefore) {
    DebugTableBench bench;
    DebugTableBuilder code = bench.module(0, 1);
    code.function(1, "f", 0, 0, 0x1F);
    code.function(2, "g", 1, 0, 0xF);
    code.source_file(1, "f.c");
    code.line_entry(3, 0x10);
    code.line_entry(2, 0);
    code.source_file(2, "g.c");
    code.line_entry(9, 4);
    code.keep("U0.ROV", nullptr);
    DebugTableBuilder vec = bench.module(2, 2);
    vec.function(3, "isr", 2, 0xE000, 0xE003);
    vec.source_file(3, "v.c");
    vec.line_entry(5, 0xE002);
    vec.keep("U2.ROV", nullptr);

    const SourceLineIndex index(bench.ctx.debug, bench.ctx.sections);
    auto line_at = [&index](int32_t unit, uint32_t offset) {
        const SourceLine* line = index.at(unit, offset);
        return line == nullptr ? std::string("none") : std::string(line->file) + ":" + std::to_string(line->line);
    };
    EXPECT_EQ(line_at(0, 0), "f.c:2");
    EXPECT_EQ(line_at(0, 0xF), "f.c:2");
    EXPECT_EQ(line_at(0, 0x10), "f.c:3");
    EXPECT_EQ(line_at(0, 0x1F), "f.c:3");
    EXPECT_EQ(line_at(1, 3), "none");  // not the earlier unit's last line
    EXPECT_EQ(line_at(1, 4), "g.c:9");
    EXPECT_EQ(line_at(2, 1), "none");
    EXPECT_EQ(line_at(2, 2), "v.c:5");
    const Unit& absolute = *bench.ctx.sections.unit_table[2];
    EXPECT_EQ(unit_address(absolute, 0xE002), 0xE002u);
    EXPECT_EQ(unit_offset(absolute, 0xE002), 2u);
    EXPECT_EQ(unit_address(*bench.ctx.sections.unit_table[1], 4), 0xC024u);
}

}  // namespace
}  // namespace orv::test
