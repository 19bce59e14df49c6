#include <gtest/gtest.h>

#include <string>

#include "pass1_harness.h"

namespace orv::test {
namespace {

using orvfixture::ObjectWriter;

std::vector<std::string> section_names(const LinkContext& ctx) {
    std::vector<std::string> names;
    for (const Section* s = ctx.sections.section_list; s != nullptr; s = s->next) names.push_back(s->name);
    return names;
}

TEST(ObjectReader, ReadsUnitEntriesIntoTheSectionTable) {
    Pass1Harness h;
    ObjectWriter w;
    w.header("main.src")
        .units({{"CODE", 0, 0, 0, 0x120}, {"p", 0, 1, 0xC000, 0x10}, {"DATA", 1, 0, 0, 4}})
        .end();
    h.write("M.ROV", w);
    ASSERT_EQ(h.read_module("M.ROV"), 0);

    EXPECT_EQ(section_names(h.ctx), (std::vector<std::string>{"CODE", "P", "DATA"}));
    EXPECT_EQ(h.ctx.sections.unit_count, 3);
    const Unit* p = h.ctx.sections.find_section("P")->units;
    EXPECT_EQ(p->unit_no, 1);
    EXPECT_EQ(p->abs, 1);
    EXPECT_EQ(p->ram, 0);
    EXPECT_EQ(p->address, 0xC000);
    EXPECT_EQ(p->size, 0x10);
    EXPECT_STREQ(p->file_name, "M.ROV");
    EXPECT_STREQ(p->source_name, "main.src");
    EXPECT_EQ(p->member_name, nullptr);
    EXPECT_STREQ(p->section_name, "P");
    const Unit* data = h.ctx.sections.find_section("DATA")->units;
    EXPECT_EQ(data->ram, 1);
    EXPECT_EQ(data->abs, 0);
    EXPECT_EQ(h.ctx.reader.next_tag, 0xFF);
    EXPECT_EQ(h.out_text(), "");
}

TEST(ObjectReader, OnlySingleLetterZSPRNamesAreUpperCased) {
    Pass1Harness h;
    ObjectWriter w;
    w.header().units({{"p"}, {"P"}, {"pp"}, {"PP"}, {"z"}, {"x"}, {"Code"}}).end();
    h.write("M.ROV", w);
    ASSERT_EQ(h.read_module("M.ROV"), 0);
    EXPECT_EQ(section_names(h.ctx), (std::vector<std::string>{"P", "pp", "PP", "Z", "x", "Code"}));
    const Unit* p = h.ctx.sections.find_section("P")->units;
    ASSERT_NE(p->next, nullptr);
    EXPECT_EQ(p->unit_no, 0);
    EXPECT_EQ(p->next->unit_no, 1);
}

TEST(ObjectReader, ReadsLabelsSymbolsBitSymbolsAndExternals) {
    Pass1Harness h;
    ObjectWriter w;
    w.header()
        .units({{"CODE"}, {"DATA"}})
        .labels({{1, {{0x12, "lab1"}, {0, "zero_is_a_label"}}}, {0, {{0xABCDEF, "lab0"}}}})
        .symbols({{0xFFFFFFFF, "all_ones"}, {0, "sym_zero"}, {5, ""}})
        .bit_symbols({{0x01, 0x20, "b0"}, {0x80, 0x21, "b7"}, {0x08, 0, "b3_at_0"}})
        .externals({"ext1", "lab1"})
        .end();
    h.write("M.ROV", w);
    ASSERT_EQ(h.read_module("M.ROV"), 0);
    const SymbolTable& t = h.ctx.symbols;

    const SymbolEntry* lab1 = t.find_symbol("lab1");
    ASSERT_NE(lab1, nullptr);
    EXPECT_EQ(lab1->state, SYM_DEFINED) << "a reference after the definition changes nothing";
    EXPECT_EQ(lab1->kind, SYM_LABEL);
    EXPECT_EQ(lab1->unit_no, 1);
    EXPECT_EQ(lab1->value, 0x12);
    EXPECT_STREQ(lab1->file_name, "M.ROV");
    ASSERT_NE(t.find_symbol("zero_is_a_label"), nullptr);
    EXPECT_EQ(t.find_symbol("zero_is_a_label")->unit_no, 1);
    EXPECT_EQ(t.find_symbol("lab0")->unit_no, 0);
    EXPECT_EQ(t.find_symbol("lab0")->value, 0xABCDEF);

    const SymbolEntry* ones = t.find_symbol("all_ones");
    EXPECT_EQ(ones->kind, SYM_SYMBOL);
    EXPECT_EQ(ones->value, -1);
    EXPECT_EQ(t.find_symbol("sym_zero")->value, 0);
    ASSERT_NE(t.find_symbol(""), nullptr) << "a non-zero value with an empty name is entered";
    EXPECT_EQ(t.find_symbol("")->value, 5);

    const SymbolEntry* b7 = t.find_symbol("b7");
    EXPECT_EQ(b7->kind, SYM_BIT);
    EXPECT_EQ(b7->bit_no, 7);
    EXPECT_EQ(b7->value, 0x21);
    EXPECT_EQ(t.find_symbol("b0")->bit_no, 0);
    EXPECT_EQ(t.find_symbol("b3_at_0")->bit_no, 3);

    const SymbolEntry* ext = t.find_symbol("ext1");
    EXPECT_EQ(ext->state, SYM_UNDEFINED);
    EXPECT_STREQ(ext->file_name, "M.ROV");
    EXPECT_TRUE(t.has_unresolved());
}

TEST(ObjectReader, AcceptsRecordsInAnyOrderAndStopsAtEachStopTag) {
    for (int stop : {0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFF}) {
        Pass1Harness h;
        ObjectWriter w;
        w.header()
            .externals({"x"})
            .bit_symbols({{0x02, 0x30, "bit"}})
            .labels(0, {{4, "late_label"}})
            .symbols({{7, "sym"}})
            .units({{"P", 0, 0, 0, 8}})
            .externals({"late_label"})
            .tag(uint8_t(stop))
            .raw({0x01, 0x02});  // pass-2 bytes that pass 1 must not read
        h.write("M.ROV", w);
        ASSERT_EQ(h.read_module("M.ROV"), 0) << stop;
        EXPECT_EQ(h.ctx.reader.next_tag, stop);
        EXPECT_EQ(h.offset_after, long(w.size()) - 2) << "reading stops right after the stop tag";
        EXPECT_EQ(h.ctx.symbols.find_symbol("late_label")->state, SYM_DEFINED);
        EXPECT_EQ(h.ctx.symbols.find_symbol("bit")->bit_no, 1);
        EXPECT_EQ(h.ctx.sections.unit_count, 1);
    }
}

TEST(ObjectReader, SecondUnitRunNumbersFromZeroAndLabelsCountFromTheModulesFirstUnit) {
    Pass1Harness h;
    ObjectWriter first;
    first.header().units({{"A"}, {"B"}}).end();
    ObjectWriter second;
    second.header()
        .units({{"P"}, {"Q"}})
        .symbols({{1, "s"}})
        .units({{"R"}})  // a new run: numbered from 0 again
        .labels({{2, {{0x10, "in_r"}}}, {0, {{0x20, "in_p"}}}})
        .end();
    h.write("A.ROV", first);
    h.write("B.ROV", second);
    ASSERT_EQ(h.read_module("A.ROV"), 0);
    ASSERT_EQ(h.read_module("B.ROV"), 0);
    EXPECT_EQ(h.ctx.sections.unit_count, 5);
    EXPECT_EQ(h.ctx.sections.find_section("R")->units->unit_no, 4);
    EXPECT_EQ(h.ctx.symbols.find_symbol("in_r")->unit_no, 4);
    EXPECT_EQ(h.ctx.symbols.find_symbol("in_p")->unit_no, 2);
}

TEST(ObjectReader, KeepsAnExactly511CharacterNameAndCutsLongerOnesAt511) {
    Pass1Harness h;
    std::string exact(511, 'e');
    std::string long_name = std::string(511, 'L') + std::string(89, 'x');
    ObjectWriter w;
    w.header().externals({exact, long_name, "after"}).end();
    h.write("M.ROV", w);
    ASSERT_EQ(h.read_module("M.ROV"), 0);
    EXPECT_NE(h.ctx.symbols.find_symbol(exact), nullptr);
    EXPECT_NE(h.ctx.symbols.find_symbol(std::string(511, 'L')), nullptr);
    EXPECT_NE(h.ctx.symbols.find_symbol("after"), nullptr) << "reading goes on after the dropped tail";
    EXPECT_EQ(h.ctx.symbols.entries().size(), 3u);
}

TEST(ObjectReader, ModuleWithoutRecordsAddsNothing) {
    Pass1Harness h;
    ObjectWriter w;
    w.header().tag(0xF8);
    h.write("M.ROV", w);
    ASSERT_EQ(h.read_module("M.ROV"), 0);
    EXPECT_EQ(h.ctx.sections.unit_count, 0);
    EXPECT_TRUE(h.ctx.symbols.empty());
    EXPECT_EQ(h.ctx.reader.next_tag, 0xF8);
}

TEST(ObjectReader, FormatTextNeedsOnlyItsFirstFiveCharacters) {
    Pass1Harness h;
    ObjectWriter w;
    w.header("s", "1", {}, {}, "VER.A2.01").end();
    h.write("M.ROV", w);
    EXPECT_EQ(h.read_module("M.ROV"), 0);
}

TEST(ObjectReader, OtherFormatTextsAreErrorSeven) {
    for (const char* format : {"VER.B", "VER.", "", "ver.a"}) {
        Pass1Harness h;
        ObjectWriter w;
        w.header("s", "1", {}, {}, format).end();
        h.write("M.ROV", w);
        EXPECT_EQ(h.read_module("M.ROV"), 1) << format;
        EXPECT_EQ(h.out_text(), "ERROR NO.7: M.ROV relocatable format is mismatch\n") << format;
        EXPECT_EQ(h.err_text(), "\a");
    }
}

TEST(ObjectReader, ExtendAreaNeedsBankMode) {
    auto read_unit_at = [](uint32_t address, bool bank, Pass1Harness& h) {
        ObjectWriter w;
        w.header().units({{"P", 0, 0, 0, 1}, {"E", 0, 1, address, 1}}).end();
        h.write("M.ROV", w);
        h.ctx.options.bank_mode = bank ? 1 : 0;
        return h.read_module("M.ROV");
    };
    {
        Pass1Harness h;
        EXPECT_EQ(read_unit_at(0xFFFF, false, h), 0);
    }
    {
        Pass1Harness h;
        EXPECT_EQ(read_unit_at(0x10000, false, h), 1);
        EXPECT_EQ(h.out_text(), "ERROR NO.30: Extend area requires command option \"-BANK\".\n");
        EXPECT_EQ(h.err_text(), "\a");
    }
    {
        Pass1Harness h;
        EXPECT_EQ(read_unit_at(0xFFFFFF, true, h), 0);
        EXPECT_EQ(h.ctx.sections.find_section("E")->units->address, 0xFFFFFF);
    }
    {
        // A relocatable unit's address field is tested too.
        Pass1Harness h;
        ObjectWriter w;
        w.header().units({{"R", 0, 0, 0x12345, 1}}).end();
        h.write("M.ROV", w);
        EXPECT_EQ(h.read_module("M.ROV"), 1);
    }
}

TEST(ObjectReader, VersionCheckComparesWholeTextsOnlyWithV) {
    auto run = [](bool check, const char* second_version, Pass1Harness& h) {
        ObjectWriter a, b;
        a.header("a", "1.00").end();
        b.header("b", second_version).end();
        h.write("A.ROV", a);
        h.write("B.ROV", b);
        h.ctx.options.opt_version_check = check ? 1 : 0;
        EXPECT_EQ(h.read_module("A.ROV"), 0);
        return h.read_module("B.ROV");
    };
    {
        Pass1Harness h;
        EXPECT_EQ(run(true, "1.00", h), 0);
        EXPECT_STREQ(h.ctx.reader.first_version, "1.00");
    }
    {
        Pass1Harness h;
        EXPECT_EQ(run(false, "2.00", h), 0);
        EXPECT_EQ(h.ctx.reader.first_version, nullptr);
    }
    {
        Pass1Harness h;
        EXPECT_EQ(run(true, "1.000", h), 1);
        EXPECT_EQ(h.out_text(), "ERROR NO.8: Program version is different\n");
        EXPECT_EQ(h.err_text(), "\a");
    }
}

TEST(ObjectReader, DebugOptionTracesEveryReader) {
    Pass1Harness h;
    ObjectWriter w;
    w.header()
        .units({{"P"}, {"Q"}})
        .labels({{0, {{1, "a"}}}, {1, {{2, "b"}}}})
        .symbols({{1, "s"}})
        .bit_symbols({{1, 2, "bit"}})
        .externals({"x"})
        .end();
    h.write("M.ROV", w);
    h.ctx.options.opt_debug = 1;
    ASSERT_EQ(h.read_module("M.ROV"), 0);
    EXPECT_EQ(h.out_text(),
              "now red_r_fmt()\nnow red_r_ver()\nnow red_r_fname()\nnow red_r_unit()\n"
              "now red_r_pub()\nnow red_r_sym()\nnow red_r_pub()\nnow red_r_ext()\n");
}

}  // namespace
}  // namespace orv::test
