#include <gtest/gtest.h>

#include <string>

#include "placement/link_bench.h"

namespace orv::test {
namespace {

TEST(PlaceSections, WithoutSectionInformationInOrderOfFirstAppearanceWithZAndSAtTheirPages) {
    LinkBench bench;
    Unit& z = bench.unit("Z", 4);
    Unit& code1 = bench.unit("CODE", 0x10);
    Unit& s = bench.unit("S", 8);
    Unit& code2 = bench.unit("CODE", 0x22, "B.ROV");
    Unit& tail = bench.unit("TAIL", 2);
    ASSERT_EQ(bench.place(), 0);

    EXPECT_EQ(z.address, 0);
    EXPECT_EQ(code1.address, 4);
    EXPECT_EQ(code2.address, 0x14) << "relocatable units follow each other without gaps";
    EXPECT_EQ(s.address, 0xFF00);
    EXPECT_EQ(tail.address, 0xFF08) << "the section after S continues after S's end";
    EXPECT_EQ(bench.section("CODE").length, 0x32);
    EXPECT_EQ(bench.section("S").length, 8);
    EXPECT_EQ(bench.out(), "");
    EXPECT_EQ(bench.ctx.link_failed, 0);
}

TEST(PlaceSections, ListedSectionsFirstThenTheRestAfterThem) {
    LinkBench bench;
    Unit& r = bench.unit("R", 0x10);
    Unit& x = bench.unit("X", 0x30);
    Unit& p = bench.unit("P", 0x120);
    bench.info("P", 0xC000);
    bench.info("R");
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(p.address, 0xC000);
    EXPECT_EQ(r.address, 0xC120);
    EXPECT_EQ(x.address, 0xC130);
}

TEST(PlaceSections, ListedZAndSWithoutAddressUseTheLocation) {
    LinkBench bench;
    Unit& code = bench.unit("CODE", 0x10);
    Unit& z = bench.unit("Z", 4);
    Unit& s = bench.unit("S", 2);
    bench.info("CODE");
    bench.info("Z");
    bench.info("S");
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(code.address, 0);
    EXPECT_EQ(z.address, 0x10);
    EXPECT_EQ(s.address, 0x14);
}

TEST(PlaceSections, AbsoluteSectionStartsAtItsOwnAddressAndMovesTheLocation) {
    LinkBench bench;
    Unit& fixed = bench.abs_unit("VEC", 0x8000, 0x20);
    Unit& code = bench.unit("CODE", 0x10);
    bench.info("VEC");
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(fixed.address, 0x8000);
    EXPECT_EQ(code.address, 0x8020);

    LinkBench unlisted;
    Unit& first = unlisted.unit("CODE", 4);
    Unit& abs = unlisted.abs_unit("VEC", 0x8000, 0x20);
    Unit& data = unlisted.unit("DATA", 4);
    ASSERT_EQ(unlisted.place(), 0);
    EXPECT_EQ(first.address, 0);
    EXPECT_EQ(abs.address, 0x8000);
    EXPECT_EQ(data.address, 0x8020);
}

TEST(PlaceSections, SectionNamedTwiceInTheSectionInformationIsError3) {
    LinkBench bench;
    bench.unit("P", 4);
    bench.info("P");
    bench.info("P", 0x100);
    EXPECT_EQ(bench.place(), 2);
    EXPECT_EQ(bench.out(), "ERROR NO.3: Invalid section information\n");
    EXPECT_EQ(bench.err(), "\a");
}

TEST(PlaceSections, AddressForAnAbsoluteSectionIsError12) {
    LinkBench bench;
    bench.abs_unit("VEC", 0xFFE0, 0x20);
    bench.info("VEC", 0x100);
    EXPECT_EQ(bench.place(), 1);
    EXPECT_EQ(bench.out(), "ERROR NO.12: SECTION VEC is an absolute\n");
}

TEST(PlaceSections, MissingSectionIsReportedAndPlacementGoesOn) {
    LinkBench bench;
    Unit& p = bench.unit("P", 4);
    Unit& q = bench.unit("Q", 4);
    bench.info("NOWHERE", 0x4000);
    bench.info("Q", 0x100);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(), "ERROR NO.14: Can't find SECTION NOWHERE\n");
    EXPECT_EQ(bench.ctx.link_failed, 1);
    EXPECT_EQ(q.address, 0x100);
    EXPECT_EQ(p.address, 0x104);
}

TEST(UnitOverlap, AbsoluteUnitsOfOneSectionOverlapping) {
    LinkBench bench;
    bench.abs_unit("ABS", 0x100, 0x10);
    Unit& second = bench.abs_unit("ABS", 0x108, 0x10, "B.ROV");
    Unit& third = bench.abs_unit("ABS", 0x118, 0x10, "C.ROV");
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(), "ERROR NO.11: Location overlap. SECTION=ABS ADDRESS=0108 in B.ROV \n");
    EXPECT_EQ(second.address, 0x108);
    EXPECT_EQ(third.address, 0x118) << "units after the overlap follow the overlapping one";
    EXPECT_EQ(bench.section("ABS").overlap, 1);
    EXPECT_EQ(bench.section("ABS").length, 0);
    EXPECT_EQ(bench.ctx.link_failed, 1);
}

TEST(UnitOverlap, LibraryMemberIsNamedInParentheses) {
    LinkBench bench;
    bench.abs_unit("ABS", 0x100, 0x10);
    Unit& member = bench.abs_unit("ABS", 0x104, 2, "UTIL.LIB");
    member.member_name = bench.ctx.str_save("PUTC");
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(), "ERROR NO.11: Location overlap. SECTION=ABS ADDRESS=0104 in UTIL.LIB ( PUTC )\n");
}

TEST(UnitOverlap, OptionATolerantOnlyBeforeRelocatableUnitsAndAboveTheStart) {
    {
        LinkBench bench;
        bench.ctx.options.opt_absolute_overlap = 1;
        bench.abs_unit("ABS", 0x100, 0x10);
        bench.abs_unit("ABS", 0x108, 0x10);
        ASSERT_EQ(bench.place(), 0);
        EXPECT_EQ(bench.out(), "");
        EXPECT_EQ(bench.section("ABS").length, 0x18);
        EXPECT_EQ(bench.ctx.link_failed, 0);
    }
    {
        LinkBench bench;
        bench.ctx.options.opt_absolute_overlap = 1;
        bench.abs_unit("ABS", 0x100, 0x10);
        bench.unit("ABS", 4);
        bench.abs_unit("ABS", 0x110, 2, "B.ROV");
        ASSERT_EQ(bench.place(), 0);
        EXPECT_EQ(bench.out(), "ERROR NO.11: Location overlap. SECTION=ABS ADDRESS=0110 in B.ROV \n");
    }
    {
        LinkBench bench;
        bench.ctx.options.opt_absolute_overlap = 1;
        bench.abs_unit("ABS", 0x100, 0x10);
        bench.abs_unit("ABS", 0x80, 2, "B.ROV");
        ASSERT_EQ(bench.place(), 0);
        EXPECT_EQ(bench.out(), "ERROR NO.11: Location overlap. SECTION=ABS ADDRESS=0080 in B.ROV \n");
    }
}

TEST(SectionOverlap, ReportedOnceNamingTheHigherSection) {
    LinkBench bench;
    bench.unit("A", 0x100);
    bench.abs_unit("B", 0x80, 0x10, "B.ROV");
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(), "ERROR NO.11: Location overlap. SECTION=B ADDRESS=0080 in B.ROV \n");
    EXPECT_EQ(bench.ctx.link_failed, 1);
    EXPECT_EQ(bench.section("A").length, 0x100) << "an overlap between sections keeps the lengths";
}

TEST(SectionOverlap, LaterSectionBelowAnEarlierOneNamesTheEarlierOne) {
    LinkBench bench;
    Unit& high = bench.abs_unit("HIGH", 0x200, 0x10, "H.LIB");
    high.member_name = bench.ctx.str_save("HMOD");
    bench.info("HIGH");
    bench.info("LOW", 0x1F8);
    bench.unit("LOW", 0x10);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(), "ERROR NO.11: Location overlap. SECTION=HIGH ADDRESS=0200 in H.LIB ( HMOD )\n");
}

TEST(SectionOverlap, EqualStartsNameTheSectionPlacedEarlier) {
    LinkBench bench;
    bench.abs_unit("FIRST", 0x300, 4, "F.ROV");
    bench.abs_unit("SECOND", 0x300, 4, "S.ROV");
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(), "ERROR NO.11: Location overlap. SECTION=FIRST ADDRESS=0300 in F.ROV \n");
}

TEST(SectionOverlap, EmptySectionsAndSectionsWithOverlappingUnitsTakeNoPart) {
    LinkBench bench;
    bench.unit("A", 0x100);
    bench.abs_unit("EMPTY", 0x10, 0);
    bench.abs_unit("BROKEN", 0x40, 0x10, "B.ROV");
    bench.abs_unit("BROKEN", 0x48, 0x10, "C.ROV");
    bench.abs_unit("OVER", 0x8, 0x10, "O.ROV");
    bench.abs_unit("ZERO", 0x50, 0);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(),
              "ERROR NO.11: Location overlap. SECTION=BROKEN ADDRESS=0048 in C.ROV \n"
              "ERROR NO.11: Location overlap. SECTION=OVER ADDRESS=0008 in O.ROV \n");
}

TEST(AddressLimit, SectionMayEndExactlyAtTheTopButNotOneBytePast) {
    {
        LinkBench bench;
        bench.info("TOP", 0xFF00);
        bench.unit("TOP", 0x80);
        bench.unit("TOP", 0x80);
        ASSERT_EQ(bench.place(), 0);
        EXPECT_EQ(bench.out(), "");
        EXPECT_EQ(bench.ctx.link_failed, 0);
    }
    {
        LinkBench bench;
        bench.info("TOP", 0xFF00);
        bench.unit("TOP", 0x80);
        bench.unit("TOP", 0x81);
        bench.unit("TOP", 0x10);
        ASSERT_EQ(bench.place(), 0);
        EXPECT_EQ(bench.out(), "ERROR NO.22: Out of maximum program size\n") << "once per section";
        EXPECT_EQ(bench.ctx.link_failed, 1);
    }
    {
        LinkBench bench;
        bench.ctx.options.bank_mode = 1;
        bench.ctx.options.max_address = 0x1FFFF;
        bench.info("TOP", 0x1FF00);
        bench.unit("TOP", 0x100);
        ASSERT_EQ(bench.place(), 0);
        EXPECT_EQ(bench.out(), "");
    }
}

TEST(AddressLimit, HugeSizesFromTheFileAreOverflowsNotWrapRounds) {
    LinkBench bench;
    bench.unit("BIG", 0xFFFFFFFF);
    Unit& next = bench.unit("BIG", 0x10);
    Unit& low = bench.abs_unit("LOW", 0x10, 4);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(),
              "ERROR NO.22: Out of maximum program size\n"
              "ERROR NO.11: Location overlap. SECTION=LOW ADDRESS=0010 in A.ROV \n");
    EXPECT_EQ(static_cast<uint32_t>(next.address), 0xFFFFFFFFu);
    EXPECT_EQ(low.address, 0x10);
}

TEST(BankLayout, EmptyExtendAreaTakesNoRoom) {
    LinkBench bench;
    bench.ctx.options.bank_mode = 1;
    bench.ctx.options.max_address = 0x1FFFF;
    bench.unit("CODE", 0x40);
    bench.unit("E", 0);
    bench.unit("E", 0x10);
    Unit& data = bench.unit("DATA", 4);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.section("E").length, 0);
    EXPECT_EQ(data.address, 0x40) << "the location counter does not move past E";
    // Without -BANK the same E is an ordinary section.
    LinkBench plain;
    plain.unit("CODE", 0x40);
    plain.unit("E", 0);
    plain.unit("E", 0x10);
    Unit& plain_data = plain.unit("DATA", 4);
    ASSERT_EQ(plain.place(), 0);
    EXPECT_EQ(plain.section("E").length, 0x10);
    EXPECT_EQ(plain_data.address, 0x50);
}

TEST(SectionTypes, EmptyRomUnitTakesTheAttributeOfTheSection) {
    LinkBench bench;
    Unit& empty = bench.unit("DATA", 0);
    Unit& ram = bench.ram_unit("DATA", 4);
    Unit& lone = bench.unit("LONE", 0);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(), "");
    EXPECT_EQ(empty.ram, 1);
    EXPECT_EQ(ram.ram, 1);
    EXPECT_EQ(lone.ram, 0);
}

TEST(SectionTypes, MismatchIsReportedPerUnitWithoutFailingTheLink) {
    LinkBench bench;
    Unit& empty = bench.unit("MIX", 0);
    Unit& rom = bench.unit("MIX", 2);
    Unit& ram1 = bench.ram_unit("MIX", 4);
    Unit& ram2 = bench.ram_unit("MIX", 4);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.out(),
              "ERROR NO.23: Section type mismatch in SECTION MIX\n"
              "ERROR NO.23: Section type mismatch in SECTION MIX\n");
    EXPECT_EQ(bench.ctx.link_failed, 0);
    EXPECT_EQ(empty.ram, 0);
    EXPECT_EQ(rom.ram, 0);
    EXPECT_EQ(ram1.ram, 1);
    EXPECT_EQ(ram2.ram, 1);
}

TEST(SectionNumbers, AscendingStartAddressWithTiesInListOrder) {
    LinkBench bench;
    bench.abs_unit("HIGH", 0x9000, 4);
    bench.unit("CODE", 0x10);
    bench.abs_unit("TIE", 0x9000, 0);
    bench.unit("Z", 0);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.section("Z").order_no, 1) << "an empty section is numbered too";
    EXPECT_EQ(bench.section("HIGH").order_no, 2);
    EXPECT_EQ(bench.section("TIE").order_no, 3);
    EXPECT_EQ(bench.section("CODE").order_no, 4);
}

TEST(UnitTable, IndexedByUnitNumber) {
    LinkBench bench;
    Unit& a0 = bench.unit("A", 1);
    Unit& b1 = bench.unit("B", 1);
    Unit& a2 = bench.unit("A", 1);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.ctx.sections.unit_table.size(), 3u);
    EXPECT_EQ(bench.ctx.sections.unit_table[0], &a0);
    EXPECT_EQ(bench.ctx.sections.unit_table[1], &b1);
    EXPECT_EQ(bench.ctx.sections.unit_table[2], &a2);
}

TEST(UnitTable, NumberThatNoUnitCarriesIsPoint24) {
    LinkBench bench;
    bench.unit("A", 1);
    Unit& odd = bench.unit("A", 1);
    odd.unit_no = 7;
    EXPECT_EQ(bench.place(), 4);
    EXPECT_EQ(bench.out(), "ERROR NO.6: Internal error at POINT 24\n");
}

TEST(LabelValues, RelocatableLabelsBecomeAddresses) {
    LinkBench bench;
    bench.unit("CODE", 0x20);
    bench.unit("CODE", 0x10, "B.ROV");
    bench.abs_unit("VEC", 0xFFE0, 0x20);
    SymbolEntry& main_label = bench.symbol("main", SYM_LABEL, 0, 0);
    SymbolEntry& sub_label = bench.symbol("sub", SYM_LABEL, 4, 1);
    SymbolEntry& vector = bench.symbol("reset", SYM_LABEL, 0xFFFE, 2);
    SymbolEntry& constant = bench.symbol("SIZE", SYM_SYMBOL, 0x40, 1);
    SymbolEntry& flag = bench.symbol("ready", SYM_BIT, 0x41, 1, 3);
    bench.info("CODE", 0xC000);
    ASSERT_EQ(bench.place(), 0);
    EXPECT_EQ(main_label.value, 0xC000);
    EXPECT_EQ(sub_label.value, 0xC024);
    EXPECT_EQ(vector.value, 0xFFFE) << "labels of absolute units hold addresses already";
    EXPECT_EQ(constant.value, 0x40);
    EXPECT_EQ(flag.value, 0x41);
}

TEST(LabelValues, LabelOfAUnitNoSectionHoldsIsPoint24) {
    LinkBench bench;
    bench.unit("CODE", 0x20);
    bench.symbol("stray", SYM_LABEL, 0, 5);
    EXPECT_EQ(bench.place(), 4);
    EXPECT_EQ(bench.out(), "ERROR NO.6: Internal error at POINT 24\n");
}

}  // namespace
}  // namespace orv::test
