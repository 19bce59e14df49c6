#include <gtest/gtest.h>

#include <random>
#include <string>

#include "placement/link_bench.h"

namespace orv::test {
namespace {

// Every section in list order as NAME=ADDRESS,ADDRESS.../LENGTH (hexadecimal).
std::string placed(const LinkBench& bench) {
    std::string text;
    char number[16];
    for (const Section* s = bench.ctx.sections.section_list; s != nullptr; s = s->next) {
        text += (text.empty() ? "" : " ") + std::string(s->name) + "=";
        for (const Unit* u = s->units; u != nullptr; u = u->next) {
            std::snprintf(number, sizeof number, "%s%X", u == s->units ? "" : ",", uint32_t(u->address));
            text += number;
        }
        std::snprintf(number, sizeof number, "/%X", uint32_t(s->length));
        text += number;
    }
    return text;
}

std::string overlap(const char* section, const char* address, const char* file) {
    return std::string("ERROR NO.11: Location overlap. SECTION=") + section + " ADDRESS=" + address + " in " + file;
}

struct PlacementCase {
    const char* trace;
    const char* options;  // -A, -BANK
    const char* units;
    const char* infos;
    const char* placed;
    std::string out;
    int failed;
};

TEST(Placement, SectionsUnitsOverlapsAndLimits) {
    const std::string size = "ERROR NO.22: Out of maximum program size\n";
    const PlacementCase cases[] = {
        {"first appearance, Z at 0, S at FF00, the next after S", "", "Z+4 CODE+10 S+8 CODE+22 TAIL+2", "",
         "Z=0/4 CODE=4,14/32 S=FF00/8 TAIL=FF08/2", "", 0},
        {"P=C000 R, then the rest", "", "R+10 X+30 P+120", "P=C000 R", "R=C120/10 X=C130/30 P=C000/120", "", 0},
        {"listed Z and S without address follow the location", "", "CODE+10 Z+4 S+2", "CODE Z S",
         "CODE=0/10 Z=10/4 S=14/2", "", 0},
        {"listed absolute section moves the location", "", "VEC@8000+20 CODE+10", "VEC", "VEC=8000/20 CODE=8020/10", "", 0},
        {"unlisted absolute section", "", "CODE+4 VEC@8000+20 DATA+4", "", "CODE=0/4 VEC=8000/20 DATA=8020/4", "", 0},
        {"missing section, placement goes on", "", "P+4 Q+4", "NOWHERE=4000 Q=100", "P=104/4 Q=100/4",
         "ERROR NO.14: Can't find SECTION NOWHERE\n", 1},
        {"units overlapping: the second is named, later units follow it", "", "ABS@100+10 ABS@108+10 ABS@118+10", "",
         "ABS=100,108,118/0", overlap("ABS", "0108", "U1.ROV") + " \n", 1},
        {"library member named", "", "ABS@100+10 ABS@104+2(PUTC)", "", "ABS=100,104/0",
         overlap("ABS", "0104", "U1.LIB") + " ( PUTC )\n", 1},
        {"-A tolerates absolute units", "-A", "ABS@100+10 ABS@108+10", "", "ABS=100,108/18", "", 0},
        {"-A not after a relocatable unit", "-A", "ABS@100+10 ABS+4 ABS@110+2", "", "ABS=100,110,110/0",
         overlap("ABS", "0110", "U2.ROV") + " \n", 1},
        {"-A not below the section start", "-A", "ABS@100+10 ABS@80+2", "", "ABS=100,80/0",
         overlap("ABS", "0080", "U1.ROV") + " \n", 1},
        {"sections overlapping: once, naming the higher", "", "A+100 B@80+10", "", "A=0/100 B=80/10",
         overlap("B", "0080", "U1.ROV") + " \n", 1},
        {"later section below an earlier one", "", "HIGH@200+10(HMOD) LOW+10", "HIGH LOW=1F8", "HIGH=200/10 LOW=1F8/10",
         overlap("HIGH", "0200", "U0.LIB") + " ( HMOD )\n", 1},
        {"equal starts name the one placed earlier", "", "FIRST@300+4 SECOND@300+4", "", "FIRST=300/4 SECOND=300/4",
         overlap("FIRST", "0300", "U0.ROV") + " \n", 1},
        {"empty sections and sections with overlapping units take no part", "",
         "A+100 EMPTY@10+0 BROKEN@40+10 BROKEN@48+10 OVER@8+10 ZERO@50+0", "",
         "A=0/100 EMPTY=10/0 BROKEN=40,48/0 OVER=8/10 ZERO=50/0",
         overlap("BROKEN", "0048", "U3.ROV") + " \n" + overlap("OVER", "0008", "U4.ROV") + " \n", 1},
        {"ending exactly at the top", "", "TOP+80 TOP+80", "TOP=FF00", "TOP=FF00,FF80/100", "", 0},
        {"one byte past the top, reported once", "", "TOP+80 TOP+81 TOP+10", "TOP=FF00", "TOP=FF00,FF80,10001/111",
         size, 1},
        {"-BANK: the top is 20000", "-BANK", "TOP+100", "TOP=1FF00", "TOP=1FF00/100", "", 0},
        {"huge sizes overflow instead of wrapping", "", "BIG+FFFFFFFF BIG+10 LOW@10+4", "",
         "BIG=0,FFFFFFFF/FFFFFFFF LOW=10/4", size + overlap("LOW", "0010", "U2.ROV") + " \n", 1},
        {"sections reaching past 32 bits still overlap", "", "X@FFFFFFF0+100 Y@FFFFFFF8+4", "",
         "X=FFFFFFF0/100 Y=FFFFFFF8/4", size + size + overlap("Y", "FFFFFFF8", "U1.ROV") + " \n", 1},
        {"-BANK: an empty unit of E leaves E empty", "-BANK", "CODE+40 E+0 E+10 DATA+4", "",
         "CODE=0/40 E=0,0/0 DATA=40/4", "", 0},
        {"without -BANK E is ordinary", "", "CODE+40 E+0 E+10 DATA+4", "", "CODE=0/40 E=40,40/10 DATA=50/4", "", 0},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.trace);
        LinkBench bench;
        bench.ctx.options.opt_absolute_overlap = std::string(c.options) == "-A";
        if (std::string(c.options) == "-BANK") {
            bench.ctx.options.bank_mode = 1;
            bench.ctx.options.max_address = 0x1FFFF;
        }
        bench.units(c.units);
        bench.infos(c.infos);
        ASSERT_EQ(bench.place(), 0) << bench.out();
        EXPECT_EQ(placed(bench), c.placed);
        EXPECT_EQ(bench.out(), c.out);
        EXPECT_EQ(bench.ctx.link_failed, c.failed);
        const std::vector<Unit*>& table = bench.ctx.sections.unit_table;
        ASSERT_EQ(table.size(), std::size_t(bench.ctx.sections.unit_count));
        for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i]->unit_no, int32_t(i));
    }
}

// Overlaps between sections are found through an index instead of a walk of
// every placed section; the reports must be the walk's, in its order.
TEST(Placement, SectionOverlapReportsMatchAWalkOfEveryPlacedSection) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        LinkBench bench;
        std::string units, infos;
        for (int i = 0; i < 60; ++i) {
            char word[40];
            unsigned size = random() % 3 == 0 ? 0u : unsigned(random() % 0x300);
            if (random() % 2) {
                std::snprintf(word, sizeof word, " S%d@%X+%X", i, unsigned(random() % 0x2000), size);
            } else {
                std::snprintf(word, sizeof word, " S%d+%X", i, size);
            }
            units += word;
            if (random() % 3 == 0) infos = " S" + std::to_string(i) + infos;
        }
        bench.units(units);
        bench.infos(infos);
        ASSERT_EQ(bench.place(), 0);

        // The order of placement: the listed sections, then the others.
        std::vector<const Section*> order;
        for (const SecInfoEntry& info : bench.ctx.command.sec_info) order.push_back(&bench.section(info.name));
        for (const Section* s = bench.ctx.sections.section_list; s != nullptr; s = s->next) {
            if (std::find(order.begin(), order.end(), s) == order.end()) order.push_back(s);
        }
        std::string expected;
        char line[120];
        for (std::size_t n = 0; n < order.size(); ++n) {
            const Section& section = *order[n];
            uint32_t start = uint32_t(section.units->address), end = start + uint32_t(section.length);
            for (const Section* s = bench.ctx.sections.section_list; start != end && s != nullptr; s = s->next) {
                if (std::find(order.begin(), order.begin() + long(n), s) == order.begin() + long(n)) continue;
                uint32_t s_start = uint32_t(s->units->address), s_end = s_start + uint32_t(s->length);
                const Section* named = start > s_start ? &section : s;
                if (s_start != s_end && (start > s_start ? start < s_end : s_start < end)) {
                    std::snprintf(line, sizeof line, "%s SECTION=%s ADDRESS=%04X in %s \n",
                                  "ERROR NO.11: Location overlap.", named->name, uint32_t(named->units->address),
                                  named->units->file_name);
                    expected += line;
                }
            }
        }
        EXPECT_EQ(bench.out(), expected) << units << "\n" << infos;
    }
}

TEST(Placement, SectionTypesFollowTheirCountingUnits) {
    LinkBench bench;
    bench.units("DATA+0 DATA+4r LONE+0 MIX+0 MIX+2 MIX+4r MIX+4r");
    ASSERT_EQ(bench.place(), 0);
    // Only a disagreement among units that are not empty ROM units is
    // reported, once per disagreeing unit, without failing the link; the
    // units then keep their own attributes.
    EXPECT_EQ(bench.out(),
              "ERROR NO.23: Section type mismatch in SECTION MIX\n"
              "ERROR NO.23: Section type mismatch in SECTION MIX\n");
    EXPECT_EQ(bench.ctx.link_failed, 0);
    std::string rams;
    for (int i = 0; i < 7; ++i) rams += std::to_string(bench.unit(i).ram);
    EXPECT_EQ(rams, "1100011");
}

TEST(Placement, SectionsNumberedByStartAddressWithTiesInListOrder) {
    LinkBench bench;
    bench.units("HIGH@9000+4 CODE+10 TIE@9000+0 Z+0");
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.section("Z").order_no, 1);
    EXPECT_EQ(bench.section("HIGH").order_no, 2);
    EXPECT_EQ(bench.section("TIE").order_no, 3);
    EXPECT_EQ(bench.section("CODE").order_no, 4);
}

TEST(Placement, UnitNumberWithoutAUnitIsPoint24) {
    LinkBench gap;
    gap.units("A+1 A+1");
    gap.ctx.sections.section_list->units->next->unit_no = 7;
    EXPECT_EQ(gap.place(), 4);
    EXPECT_EQ(gap.out(), "ERROR NO.6: Internal error at POINT 24\n");

    LinkBench stray;
    stray.units("CODE+20");
    stray.symbol("stray", SYM_LABEL, 0, 5);
    EXPECT_EQ(stray.place(), 4);
    EXPECT_EQ(stray.out(), "ERROR NO.6: Internal error at POINT 24\n");
}

TEST(Placement, LabelsOfRelocatableUnitsBecomeAddresses) {
    LinkBench bench;
    bench.units("CODE+20 CODE+10 VEC@FFE0+20");
    bench.infos("CODE=C000");
    SymbolEntry& main_label = bench.symbol("main", SYM_LABEL, 0, 0);
    SymbolEntry& sub_label = bench.symbol("sub", SYM_LABEL, 4, 1);
    SymbolEntry& vector = bench.symbol("reset", SYM_LABEL, 0xFFFE, 2);
    SymbolEntry& constant = bench.symbol("SIZE", SYM_SYMBOL, 0x40, 1);
    SymbolEntry& flag = bench.symbol("ready", SYM_BIT, 0x41, 1, 3);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(main_label.value, 0xC000);
    EXPECT_EQ(sub_label.value, 0xC024);
    EXPECT_EQ(vector.value, 0xFFFE);
    EXPECT_EQ(constant.value, 0x40);
    EXPECT_EQ(flag.value, 0x41);
}

}  // namespace
}  // namespace orv::test
