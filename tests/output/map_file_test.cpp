#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "placement/link_bench.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// Fixes the map file's date for the life of a test.
class FixedLinkTime {
public:
    FixedLinkTime() {
        if (const char* old = std::getenv("SOURCE_DATE_EPOCH")) saved_ = old;
        ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    }
    ~FixedLinkTime() {
        if (saved_.empty()) {
            ::unsetenv("SOURCE_DATE_EPOCH");
        } else {
            ::setenv("SOURCE_DATE_EPOCH", saved_.c_str(), 1);
        }
    }

private:
    std::string saved_;
};

const char* const MAP_HEAD =
    "\r\n"
    "Orvan Family LINKER V.4.00.00    MAP FILE\t\tTue Nov 14 22:13:20 2023\r\n"
    "\r\n"
    "\r\n"
    "SECTION           FILENAME          ATR.  TYPE  START  LENGTH\r\n"
    "\r\n";

// A program with a bit of everything: listed and unlisted sections, a
// library member, absolute and relocatable units, ROM and RAM, long names,
// and global labels, symbols and bit symbols.
void build_program(LinkBench& bench) {
    Unit& main_code = bench.unit("CODE", 0x120, "MAIN.ROV");
    bench.ram_unit("DATA", 0x40, "MAIN.ROV");
    bench.abs_unit("VECTORS_AND_TABLES", 0xFFE0, 0x20, "MAIN.ROV");
    bench.ram_unit("Z", 4, "SEVENTEEN_CHR.ROV");
    Unit& putc = bench.unit("CODE", 0x2E, "UTIL.LIB");
    putc.member_name = bench.ctx.str_save("PUTC");
    putc.source_name = bench.ctx.str_save("putc.src");
    main_code.source_name = bench.ctx.str_save("main.src");
    bench.info("CODE", 0xC000);
    bench.info("DATA", 0x100);

    bench.symbol("main", SYM_LABEL, 0, 0);
    bench.symbol("Putc", SYM_LABEL, 0, 4);
    bench.symbol("_start", SYM_LABEL, 0x10, 0);
    bench.symbol("reset", SYM_LABEL, 0xFFFE, 2);
    bench.symbol("BUF_SIZE", SYM_SYMBOL, 0x40);
    bench.symbol("LONG_SYMBOL_NAME_X", SYM_SYMBOL, 0x1234);
    bench.symbol("limit", SYM_SYMBOL, -1);
    bench.symbol("ready", SYM_BIT, 0x40, 0, 3);
}

TEST(MapFile, WholeFileWithGlobals) {
    FixedLinkTime time;
    TempDir dir;
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.ctx.options.opt_map_symbols = 1;
    build_program(bench);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    ASSERT_EQ(bench.finish_link(), 0);
    EXPECT_EQ(dir.read("PROG.MAP"),
              std::string(MAP_HEAD) +
                  "Z                 SEVENTEEN_CHR.ROV REL   RAM   0000   0004   \r\n"
                  "DATA              MAIN.ROV          REL   RAM   0100   0040   \r\n"
                  "CODE              MAIN.ROV          REL   ROM   C000   0120   \r\n"
                  "                  UTIL.LIB          REL   ROM   C120   002E   \r\n"
                  "                  (PUTC)\r\n"
                  "VECTORS_AND_TABLES MAIN.ROV          ABS   ROM   FFE0   0020   \r\n"
                  "\r\n"
                  "\r\n"
                  "GLOBAL LABEL INFORMATION\r\n"
                  "\r\n"
                  "Putc            C120   _start          C010   main            C000   \r\n"
                  "reset           FFFE   \r\n"
                  "\r\n"
                  "GLOBAL SYMBOL INFORMATION\r\n"
                  "\r\n"
                  "BUF_SIZE        0040   LONG_SYMBOL_NAME_X 1234   limit           FFFFFFFF   \r\n"
                  "\r\n"
                  "\r\n"
                  "GLOBAL BIT SYMBOL INFORMATION\r\n"
                  "\r\n"
                  "ready           3 0040   \r\n"
                  "\r\n"
                  "TOTAL ROM SIZE 366 (16EH) BYTES\r\n"
                  "TOTAL RAM SIZE 68 (44H) BYTES\r\n"
                  "\x1A");
}

TEST(MapFile, WithoutGlobalsOnlySectionsAndTotals) {
    FixedLinkTime time;
    TempDir dir;
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.unit("CODE", 0);
    bench.symbol("main", SYM_LABEL, 0, 0);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    ASSERT_EQ(bench.finish_link(), 0);
    EXPECT_EQ(dir.read("PROG.MAP"),
              std::string(MAP_HEAD) +
                  "CODE              A.ROV             REL   ROM   0000   0000   \r\n"
                  "\r\n"
                  "TOTAL ROM SIZE 0 (0H) BYTES\r\n"
                  "TOTAL RAM SIZE 0 (0H) BYTES\r\n"
                  "\x1A");
}

TEST(MapFile, BankLayoutWidensEveryAddressToFiveDigits) {
    FixedLinkTime time;
    TempDir dir;
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.ctx.options.opt_map_symbols = 1;
    bench.ctx.options.bank_mode = 1;
    bench.ctx.options.max_address = 0x1FFFF;
    bench.unit("Z", 2);
    bench.unit("FAR", 0x10);
    bench.info("FAR", 0x18000);
    bench.symbol("far", SYM_LABEL, 4, 1);
    bench.symbol("COUNT", SYM_SYMBOL, 3);
    bench.symbol("flag", SYM_BIT, 0x20, 0, 7);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    ASSERT_EQ(bench.finish_link(), 0);
    EXPECT_EQ(dir.read("PROG.MAP"),
              std::string(MAP_HEAD) +
                  "Z                 A.ROV             REL   ROM   00000   00002   \r\n"
                  "FAR               A.ROV             REL   ROM   18000   00010   \r\n"
                  "\r\n"
                  "\r\n"
                  "GLOBAL LABEL INFORMATION\r\n"
                  "\r\n"
                  "far             18004   \r\n"
                  "\r\n"
                  "GLOBAL SYMBOL INFORMATION\r\n"
                  "\r\n"
                  "COUNT           00003   \r\n"
                  "\r\n"
                  "GLOBAL BIT SYMBOL INFORMATION\r\n"
                  "\r\n"
                  "flag            7 00020   \r\n"
                  "\r\n"
                  "TOTAL ROM SIZE 18 (12H) BYTES\r\n"
                  "TOTAL RAM SIZE 0 (0H) BYTES\r\n"
                  "\x1A");
}

TEST(MapFile, EmptyKindsKeepTheirHeadings) {
    FixedLinkTime time;
    TempDir dir;
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.ctx.options.opt_map_symbols = 1;
    bench.unit("CODE", 1);
    bench.symbol("a", SYM_LABEL, 0, 0);
    bench.symbol("b", SYM_LABEL, 1, 0);
    bench.symbol("c", SYM_LABEL, 2, 0);
    ASSERT_EQ(bench.place(), 0);
    ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    ASSERT_EQ(bench.finish_link(), 0);
    std::string map = dir.read("PROG.MAP");
    std::string expected_tail =
        "GLOBAL LABEL INFORMATION\r\n"
        "\r\n"
        "a               0000   b               0001   c               0002   \r\n"
        "\r\n"
        "\r\n"
        "GLOBAL SYMBOL INFORMATION\r\n"
        "\r\n"
        "\r\n"
        "\r\n"
        "GLOBAL BIT SYMBOL INFORMATION\r\n"
        "\r\n"
        "\r\n"
        "\r\n"
        "TOTAL ROM SIZE 1 (1H) BYTES\r\n"
        "TOTAL RAM SIZE 0 (0H) BYTES\r\n"
        "\x1A";
    EXPECT_TRUE(map.ends_with(expected_tail)) << map;
}

}  // namespace
}  // namespace orv::test
