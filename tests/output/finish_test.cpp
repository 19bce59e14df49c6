#include <gtest/gtest.h>

#include <string>

#include "placement/link_bench.h"
#include "support/host_skips.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

const std::string HEX_END = ":00000001FF\r\n\x1A";

std::string totals(const char* rom, const char* ram) {
    return std::string("TOTAL ROM SIZE ") + rom + " BYTES\nTOTAL RAM SIZE " + ram + " BYTES\n";
}

TEST(Finish, TotalsCountEachSectionWholeByItsFirstUnit) {
    TempDir dir;
    LinkBench bench;
    // GAP's gap counts; MIX's RAM unit counts as ROM with its section; the
    // type mismatch leaves the status alone.
    bench.units("CODE+11FE GAP@8000+2 GAP@8010+2 MIX+20 MIX+4r DATA+80r");
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    EXPECT_EQ(bench.finish_link(), 0);
    EXPECT_EQ(bench.out(), "ERROR NO.23: Section type mismatch in SECTION MIX\n" + totals("4660 (1234H)", "128 (80H)"));
    EXPECT_EQ(bench.err(), "");
    EXPECT_EQ(dir.read("PROG.HEX"), HEX_END);
    EXPECT_FALSE(dir.exists("PROG.MAP"));
    EXPECT_FALSE(dir.exists("PROG.SYM"));
}

TEST(Finish, ListedFindingsCompleteEveryFileAndEndWithStatus1) {
    const struct {
        const char* units;
        const char* infos;
        const char* finding;
        const char* rom;
    } cases[] = {
        // A section whose units overlap counts 0.
        {"CODE+10 ABS@100+10 ABS@108+10", "", "ERROR NO.11: Location overlap. SECTION=ABS ADDRESS=0108 in U2.ROV \n",
         "16 (10H)"},
        {"CODE+4", "GHOST", "ERROR NO.14: Can't find SECTION GHOST\n", "4 (4H)"},
        {"CODE+2", "CODE=FFFF", "ERROR NO.22: Out of maximum program size\n", "2 (2H)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.units);
        TempDir dir;
        LinkBench bench;
        bench.ctx.options.opt_map = 1;
        bench.ctx.options.opt_sym = 1;
        bench.units(c.units);
        bench.infos(c.infos);
        ASSERT_EQ(bench.place(), 0);
        ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
        EXPECT_EQ(bench.finish_link(), 1);
        EXPECT_EQ(bench.out(), c.finding + totals(c.rom, "0 (0H)"));
        EXPECT_EQ(bench.err(), "\a");
        EXPECT_EQ(dir.read("PROG.HEX"), HEX_END);
        std::string map = dir.read("PROG.MAP");
        EXPECT_TRUE(map.ends_with(std::string("   \r\n\r\nTOTAL ROM SIZE ") + c.rom +
                                  " BYTES\r\nTOTAL RAM SIZE 0 (0H) BYTES\r\n\x1A"))
            << map;
        EXPECT_TRUE(dir.read("PROG.SYM").ends_with("# GLOBAL BIT SYMBOL\r\n\x1A"));
    }
}

// A close that fails is error 18 at once: the files after it in the order
// HEX, map, symbol file get neither their final texts nor their end
// character.
TEST(Finish, FailedCloseIsError18) {
    SKIP_ON_WINDOWS("needs /dev/full, a device on which every write fails");
    TempDir dir;
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.ctx.options.opt_sym = 1;
    bench.units("CODE+4");
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    bench.ctx.output.map_file = TextOutput::create("/dev/full");
    ASSERT_NE(bench.ctx.output.map_file, nullptr);
    EXPECT_EQ(bench.finish_link(), 3);
    EXPECT_EQ(bench.out(), totals("4 (4H)", "0 (0H)") + "ERROR NO.18: Out of disk space\n");
    EXPECT_EQ(bench.err(), "\a");
    EXPECT_EQ(dir.read("PROG.HEX"), HEX_END);
    EXPECT_EQ(dir.read("PROG.SYM"), "");

    LinkBench hex;
    hex.units("CODE+4");
    ASSERT_EQ(hex.place(), 0);
    hex.ctx.output.hex_file = TextOutput::create("/dev/full");
    EXPECT_EQ(hex.finish_link(), 3);
    EXPECT_EQ(hex.out(), totals("4 (4H)", "0 (0H)") + "ERROR NO.18: Out of disk space\n");
}

}  // namespace
}  // namespace orv::test
