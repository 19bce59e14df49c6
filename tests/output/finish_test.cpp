#include <gtest/gtest.h>

#include <string>

#include "placement/link_bench.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

const std::string HEX_END = ":00000001FF\r\n\x1A";

TEST(Finish, TotalsCountEachSectionWholeByItsFirstUnit) {
    TempDir dir;
    LinkBench bench;
    bench.unit("CODE", 0x11FE);
    bench.abs_unit("GAP", 0x8000, 2);
    bench.abs_unit("GAP", 0x8010, 2);     // the gap between the units counts
    bench.unit("MIX", 0x20);
    bench.ram_unit("MIX", 4);              // a RAM unit in a ROM section counts as ROM
    bench.ram_unit("DATA", 0x80);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    EXPECT_EQ(bench.finish_link(), 0);
    EXPECT_EQ(bench.out(),
              "ERROR NO.23: Section type mismatch in SECTION MIX\n"
              "TOTAL ROM SIZE 4660 (1234H) BYTES\n"
              "TOTAL RAM SIZE 128 (80H) BYTES\n");
    EXPECT_EQ(bench.err(), "");
    EXPECT_EQ(dir.read("PROG.HEX"), HEX_END);
    EXPECT_FALSE(dir.exists("PROG.MAP"));
    EXPECT_FALSE(dir.exists("PROG.SYM"));
}

TEST(Finish, OverlappingSectionCountsNothingAndTheRunEndsWithStatus1AfterEveryFile) {
    TempDir dir;
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.ctx.options.opt_sym = 1;
    bench.unit("CODE", 0x10);
    bench.abs_unit("ABS", 0x100, 0x10);
    bench.abs_unit("ABS", 0x108, 0x10);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    EXPECT_EQ(bench.finish_link(), 1);
    EXPECT_EQ(bench.out(),
              "ERROR NO.11: Location overlap. SECTION=ABS ADDRESS=0108 in A.ROV \n"
              "TOTAL ROM SIZE 16 (10H) BYTES\n"
              "TOTAL RAM SIZE 0 (0H) BYTES\n");
    EXPECT_EQ(bench.err(), "\a");
    EXPECT_EQ(dir.read("PROG.HEX"), HEX_END);
    std::string map = dir.read("PROG.MAP");
    EXPECT_TRUE(map.ends_with("\r\n\r\nTOTAL ROM SIZE 16 (10H) BYTES\r\nTOTAL RAM SIZE 0 (0H) BYTES\r\n\x1A")) << map;
    std::string sym = dir.read("PROG.SYM");
    EXPECT_TRUE(sym.ends_with("# GLOBAL BIT SYMBOL\r\n\x1A")) << sym;
}

TEST(Finish, ListedFindingsThatLeaveTheStatusAloneEndWithStatus0) {
    TempDir dir;
    LinkBench bench;
    bench.unit("MIX", 2);
    bench.ram_unit("MIX", 2);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    EXPECT_EQ(bench.finish_link(), 0);
    EXPECT_EQ(bench.err(), "");
}

TEST(Finish, MissingSectionAndOversizeEndWithStatus1) {
    for (int finding = 0; finding < 2; ++finding) {
        TempDir dir;
        LinkBench bench;
        if (finding == 0) {
            bench.info("GHOST");
            bench.unit("CODE", 4);
        } else {
            bench.info("CODE", 0xFFFF);
            bench.unit("CODE", 2);
        }
        ASSERT_EQ(bench.place(), 0);
        ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
        EXPECT_EQ(bench.finish_link(), 1);
        EXPECT_EQ(bench.err(), "\a");
        EXPECT_EQ(dir.read("PROG.HEX"), HEX_END);
    }
}

TEST(Finish, FailedCloseIsError18AndLeavesTheLaterFilesUnfinished) {
    TempDir dir;
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.ctx.options.opt_sym = 1;
    bench.unit("CODE", 4);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    bench.ctx.output.map_file = TextOutput::create("/dev/full");
    ASSERT_NE(bench.ctx.output.map_file, nullptr);
    EXPECT_EQ(bench.finish_link(), 3);
    EXPECT_EQ(bench.out(),
              "TOTAL ROM SIZE 4 (4H) BYTES\n"
              "TOTAL RAM SIZE 0 (0H) BYTES\n"
              "ERROR NO.18: Out of disk space\n");
    EXPECT_EQ(bench.err(), "\a");
    EXPECT_EQ(dir.read("PROG.HEX"), HEX_END);
    EXPECT_EQ(dir.read("PROG.SYM"), "") << "the symbol file gets no global part and no end character";
}

TEST(Finish, FailedCloseOfTheHexFileIsError18) {
    LinkBench bench;
    bench.unit("CODE", 4);
    ASSERT_EQ(bench.place(), 0);
    bench.ctx.output.hex_file = TextOutput::create("/dev/full");
    ASSERT_NE(bench.ctx.output.hex_file, nullptr);
    EXPECT_EQ(bench.finish_link(), 3);
    EXPECT_TRUE(bench.out().ends_with("ERROR NO.18: Out of disk space\n"));
}

}  // namespace
}  // namespace orv::test
