#include <gtest/gtest.h>

#include <string>

#include "support/region_programs.h"

namespace orv::test {
namespace {

using orvfixture::LibraryWriter;
using orvfixture::UnitSpec;

const std::string TABLE_HEADER = "Memory region         Used Size  Region Size  %age Used\n";

// A ROM section left out of the section information lands after the zero
// page, in RAM: it lies outside every ROM region, and the link still
// completes its files before it ends with status 1.
TEST(RegionFit, AUnitOutsideEveryRegionOfItsKindIsNamedWithItsModule) {
    TempDir dir;
    dir.write("MAIN.ROV", region_module({{"Z", 1, 0, 0, 5}, {"P", 0, 0, 0, 0x10}, {"CONST", 0, 0, 0, 2}}));
    RunResult run = run_orvlink(dir.path(), {"MAIN,,CONST=C000,-. -M --region=ZP:RAM:0-DF --region=FLASH:ROM:C000-FFFF"});
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\n"
              "ERROR NO.35: SECTION P ADDRESS=0005 lies outside every ROM region\n"
              "             MAIN.ROV                     16 bytes\n"
              "TOTAL ROM SIZE 18 (12H) BYTES\n"
              "TOTAL RAM SIZE 5 (5H) BYTES\n");
    EXPECT_EQ(run.err, "\a");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(dir.read("MAIN.HEX").ends_with(":00000001FF\r\n\x1A"));
    EXPECT_NE(dir.read("MAIN.MAP").find("P                 MAIN.ROV          REL   ROM   0005   0010"), std::string::npos);
}

// A zero page of 0x105 bytes from seven modules runs over the I/O registers
// at E0: one finding for the section, then the region's five largest
// contributors, library modules named with their library. The usage table
// follows the totals although the link failed.
TEST(RegionFit, ASectionThatOverflowsItsRegionNamesTheLargestContributors) {
    TempDir dir;
    const uint32_t sizes[] = {0x10, 0x40, 0x20, 0x30, 0x02, 0x50};
    std::string files;
    for (int i = 0; i < 6; ++i) {
        std::string name = "Z" + std::to_string(i);
        dir.write(name + ".ROV", region_module({{"Z", 1, 0, 0, sizes[i]}}, "", i == 0 ? std::vector<std::string>{"putc"} : std::vector<std::string>{}));
        files += " " + name;
    }
    LibraryWriter library;
    library.add("PUTC", region_module({{"Z", 1, 0, 0, 0x13}}, "putc"));
    dir.write("RTL.LIB", library.bytes());
    RunResult run = run_orvlink(dir.path(), {files + ",RTL,,-. --region=ZP:RAM:0-DF --print-memory-usage"});
    EXPECT_EQ(run.out,
              "processing \"Z0.ROV\"\nprocessing \"Z1.ROV\"\nprocessing \"Z2.ROV\"\nprocessing \"Z3.ROV\"\n"
              "processing \"Z4.ROV\"\nprocessing \"Z5.ROV\"\nprocessing \"Libraries\"\n"
              "ERROR NO.34: SECTION Z will not fit in region ZP: overflowed by 37 bytes\n"
              "             region ZP 0000-00DF holds 261 of 224 bytes; largest contributors:\n"
              "             Z5.ROV                       80 bytes\n"
              "             Z1.ROV                       64 bytes\n"
              "             Z3.ROV                       48 bytes\n"
              "             Z2.ROV                       32 bytes\n"
              "             RTL.LIB ( PUTC )             19 bytes\n"
              "processing \"RTL.LIB ( PUTC )\"\n"
              "TOTAL ROM SIZE 0 (0H) BYTES\n"
              "TOTAL RAM SIZE 261 (105H) BYTES\n" +
                  TABLE_HEADER + "              ZP:        261 B        224 B     116.52%\n");
    EXPECT_EQ(run.status, 1);
}

// BSS that the section information forgot follows the zero page: its run
// of units crosses the zero page's end, and the units after the crossing one
// count towards the overflow instead of each being reported.
TEST(RegionFit, UnitsThatFollowAnOverflowingUnitAddToItsBytes) {
    TempDir dir;
    dir.write("MAIN.ROV", region_module({{"Z", 1, 0, 0, 0x10}, {"BSS", 1, 0, 0, 0xC0}}));
    dir.write("SUB.ROV", region_module({{"BSS", 1, 0, 0, 0x40}, {"P", 0, 0, 0, 4}}));
    dir.write("THIRD.ROV", region_module({{"BSS", 1, 0, 0, 0x10}}));
    RunResult run = run_orvlink(dir.path(), {"MAIN SUB THIRD,,P=C000,-. --region=ZP:RAM:0-FF --region=RAM:RAM:200-3FF "
                                             "--region=FLASH:ROM:C000-FFFF --print-memory-usage"});
    EXPECT_NE(run.out.find("ERROR NO.34: SECTION BSS will not fit in region ZP: overflowed by 32 bytes\n"
                           "             region ZP 0000-00FF holds 288 of 256 bytes; largest contributors:\n"
                           "             MAIN.ROV                    208 bytes\n"
                           "             SUB.ROV                      64 bytes\n"
                           "             THIRD.ROV                    16 bytes\n"
                           "TOTAL ROM SIZE"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("ERROR NO.35"), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with(TABLE_HEADER +
                                  "              ZP:        288 B        256 B     112.50%\n"
                                  "             RAM:          0 B        512 B       0.00%\n"
                                  "           FLASH:          4 B         16 KB      0.02%\n"))
        << run.out;
    EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// A section that fills its region exactly and goes on with another module's
// unit overflows the region by that unit: one finding, not one per unit.
TEST(RegionFit, UnitsAfterOneThatEndsAtTheRegionsEndOverflowIt) {
    TempDir dir;
    dir.write("MAIN.ROV", region_module({{"BSS", 1, 0, 0, 0x100}}));
    dir.write("SUB.ROV", region_module({{"BSS", 1, 0, 0, 0x10}}));
    dir.write("END.ROV", region_module({{"BSS", 1, 0, 0, 0x08}}));
    RunResult run = run_orvlink(dir.path(), {"MAIN SUB END,,,-. --region=RAM:RAM:0-FF"});
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\nprocessing \"SUB.ROV\"\nprocessing \"END.ROV\"\n"
              "ERROR NO.34: SECTION BSS will not fit in region RAM: overflowed by 24 bytes\n"
              "             region RAM 0000-00FF holds 280 of 256 bytes; largest contributors:\n"
              "             MAIN.ROV                    256 bytes\n"
              "             SUB.ROV                      16 bytes\n"
              "             END.ROV                       8 bytes\n"
              "TOTAL ROM SIZE 0 (0H) BYTES\n"
              "TOTAL RAM SIZE 280 (118H) BYTES\n");
    EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// Two ROM regions touch at C002: the section starts in F and goes on into G.
// It is reported against F, whose overflow takes every unit that follows on;
// the library's two modules are added up on a line of their own.
TEST(RegionFit, ASectionRunningIntoTheNextRegionOverflowsTheOneItStartsIn) {
    TempDir dir;
    dir.write("A.ROV", region_module({{"P", 0, 0, 0, 1}}));
    dir.write("D.ROV", region_module({{"P", 0, 0, 0, 1}}, "", {"putc", "getc"}));
    LibraryWriter library;
    library.add("PUTC", region_module({{"P", 0, 0, 0, 3}}, "putc"));
    library.add("GETC", region_module({{"P", 0, 0, 0, 2}}, "getc"));
    dir.write("RTL.LIB", library.bytes());
    RunResult run = run_orvlink(dir.path(), {"A D,RTL,P=C000,-. --region=F:ROM:C000-C001 --region=G:ROM:C002-CFFF "
                                             "--print-memory-usage"});
    EXPECT_NE(run.out.find("ERROR NO.34: SECTION P will not fit in region F: overflowed by 5 bytes\n"
                           "             region F C000-C001 holds 7 of 2 bytes; largest contributors:\n"
                           "             RTL.LIB ( PUTC )              3 bytes\n"
                           "             RTL.LIB ( GETC )              2 bytes\n"
                           "             A.ROV                         1 byte\n"
                           "             D.ROV                         1 byte\n"
                           "             RTL.LIB, 2 modules            5 bytes\n"
                           "processing"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(run.out.ends_with(TABLE_HEADER +
                                  "               F:          7 B          2 B     350.00%\n"
                                  "               G:          0 B       4094 B       0.00%\n"))
        << run.out;
    EXPECT_EQ(run.status, 1);
}

// CONST at 8000 lies in the gap between the regions, and P follows it there:
// one finding for each section, naming all of its modules, not one per unit.
TEST(RegionFit, ASectionOutsideItsRegionsIsReportedOnceWithItsModules) {
    TempDir dir;
    dir.write("A.ROV", region_module({{"P", 0, 0, 0, 1}, {"CONST", 0, 0, 0, 4}}));
    dir.write("B.ROV", region_module({{"P", 0, 0, 0, 1}, {"CONST", 0, 0, 0, 1}}));
    dir.write("C.ROV", region_module({{"P", 0, 0, 0, 2}}));
    RunResult run = run_orvlink(dir.path(), {"A B C,,CONST=8000,-. --region=F:ROM:C000-C0FF --region=R:RAM:0-FF"});
    EXPECT_EQ(run.out,
              "processing \"A.ROV\"\nprocessing \"B.ROV\"\nprocessing \"C.ROV\"\n"
              "ERROR NO.35: SECTION CONST ADDRESS=8000 lies outside every ROM region\n"
              "             A.ROV                         4 bytes\n"
              "             B.ROV                         1 byte\n"
              "ERROR NO.35: SECTION P ADDRESS=8005 lies outside every ROM region\n"
              "             C.ROV                         2 bytes\n"
              "             A.ROV                         1 byte\n"
              "             B.ROV                         1 byte\n"
              "TOTAL ROM SIZE 9 (9H) BYTES\n"
              "TOTAL RAM SIZE 0 (0H) BYTES\n");
    EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace orv::test
