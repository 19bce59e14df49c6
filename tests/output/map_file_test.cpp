#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "placement/link_bench.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

const std::string MAP_HEAD =
    "\r\n"
    "Orvan Family LINKER V.4.00.00    MAP FILE\t\tTue Nov 14 22:13:20 2023\r\n"
    "\r\n"
    "\r\n"
    "SECTION           FILENAME          ATR.  TYPE  START  LENGTH\r\n"
    "\r\n";

// Places `units` and links to the finish with the map file's date fixed;
// returns the map file.
std::string map_of(LinkBench& bench, const char* units, const char* infos = "") {
    TempDir dir;
    bench.ctx.options.opt_map = 1;
    bench.units(units);
    bench.infos(infos);
    set_environment("SOURCE_DATE_EPOCH", "1700000000");
    EXPECT_EQ(bench.place(), 0);
    EXPECT_EQ(bench.open_outputs(dir.path().string()), 0);
    EXPECT_EQ(bench.finish_link(), 0);
    unset_environment("SOURCE_DATE_EPOCH");
    return dir.read("PROG.MAP");
}

TEST(MapFile, WithoutGlobalsOnlySectionsAndTotals) {
    LinkBench bench;
    bench.symbol("main", SYM_LABEL, 0, 0);
    EXPECT_EQ(map_of(bench, "CODE+0"), MAP_HEAD +
                                           "CODE              U0.ROV            REL   ROM   0000   0000   \r\n"
                                           "\r\n"
                                           "TOTAL ROM SIZE 0 (0H) BYTES\r\n"
                                           "TOTAL RAM SIZE 0 (0H) BYTES\r\n"
                                           "\x1A");
}

// Every address of the map file has five digits in the bank layout. A kind
// with exactly three names ends its line after the third, and a kind without
// names keeps its heading.
TEST(MapFile, BankLayoutWidensEveryAddressToFiveDigits) {
    LinkBench bench;
    bench.ctx.options.opt_map_symbols = 1;
    bench.ctx.options.bank_mode = 1;
    bench.ctx.options.max_address = 0x1FFFF;
    bench.symbol("A", SYM_SYMBOL, 3);
    bench.symbol("B", SYM_SYMBOL, 0x12345);
    bench.symbol("C", SYM_SYMBOL, 0);
    bench.symbol("flag", SYM_BIT, 0x20, 0, 7);
    EXPECT_EQ(map_of(bench, "Z+2 FAR+10", "FAR=18000"),
              MAP_HEAD +
                  "Z                 U0.ROV            REL   ROM   00000   00002   \r\n"
                  "FAR               U1.ROV            REL   ROM   18000   00010   \r\n"
                  "\r\n"
                  "\r\n"
                  "GLOBAL LABEL INFORMATION\r\n"
                  "\r\n"
                  "\r\n"
                  "\r\n"
                  "GLOBAL SYMBOL INFORMATION\r\n"
                  "\r\n"
                  "A               00003   B               12345   C               00000   \r\n"
                  "\r\n"
                  "\r\n"
                  "GLOBAL BIT SYMBOL INFORMATION\r\n"
                  "\r\n"
                  "flag            7 00020   \r\n"
                  "\r\n"
                  "TOTAL ROM SIZE 18 (12H) BYTES\r\n"
                  "TOTAL RAM SIZE 0 (0H) BYTES\r\n"
                  "\x1A");
}

}  // namespace
}  // namespace orv::test
