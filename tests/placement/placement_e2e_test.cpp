#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/object_writer.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using namespace orvfixture;

const std::string HEX_END = ":00000001FF\r\n\x1A";

void write_module(const TempDir& dir, const std::string& name, const std::vector<UnitSpec>& units) {
    ObjectWriter module;
    module.header("m.src").units(units).end();
    dir.write(name, module.bytes());
}

TEST(PlacementRun, OutputNamesFromTheFirstFileOrFromTheOptions) {
    {
        TempDir dir;
        write_module(dir, "obj/prog.rov", {{"P", 0, 0, 0, 2}});
        RunResult run = run_orvlink(dir.path(), {"obj\\prog,,,-M", "-S", "-."});
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(dir.read("obj/PROG.HEX"), HEX_END);
        EXPECT_TRUE(dir.exists("obj/PROG.MAP"));
        EXPECT_TRUE(dir.exists("obj/PROG.SYM"));
    }
    {
        TempDir dir;
        write_module(dir, "d:prog.rov", {{"P", 0, 0, 0, 2}});
        std::filesystem::create_directory(dir / "out");
        RunResult run = run_orvlink(dir.path(), {"d:prog,,,-Oout", "-."});
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(dir.read("out/PROG.HEX"), HEX_END);
        run = run_orvlink(dir.path(), {"d:prog,,,-Fx", "-."});
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(dir.read("D:x.HEX"), HEX_END);
    }
}

TEST(PlacementRun, FatalPlacementErrorsLeaveNoOutputFile) {
    TempDir dir;
    write_module(dir, "MAIN.ROV", {{"P", 0, 0, 0, 2}, {"VEC", 0, 1, 0xFFFE, 2}});
    RunResult twice = run_orvlink(dir.path(), {"MAIN,,P VEC P,-M", "-."});
    EXPECT_EQ(twice.status, 2);
    EXPECT_TRUE(twice.out.ends_with("ERROR NO.3: Invalid section information\n")) << twice.out;
    EXPECT_EQ(twice.err, "\a");
    RunResult absolute = run_orvlink(dir.path(), {"MAIN,,VEC=100,-M", "-."});
    EXPECT_EQ(absolute.status, 1);
    EXPECT_TRUE(absolute.out.ends_with("ERROR NO.12: SECTION VEC is an absolute\n")) << absolute.out;
    EXPECT_EQ(absolute.err, "\a");
    EXPECT_FALSE(dir.exists("MAIN.HEX"));
    EXPECT_FALSE(dir.exists("MAIN.MAP"));
}

TEST(PlacementRun, ListedFindingsCompleteTheFilesAndEndWithStatus1) {
    TempDir dir;
    write_module(dir, "MAIN.ROV", {{"P", 0, 0, 0, 0x100}, {"VEC", 0, 1, 0x80, 2}});
    RunResult run = run_orvlink(dir.path(), {"MAIN,,GHOST,-M", "-."});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.ends_with("ERROR NO.14: Can't find SECTION GHOST\n"
                                  "ERROR NO.11: Location overlap. SECTION=VEC ADDRESS=0080 in MAIN.ROV \n"
                                  "TOTAL ROM SIZE 258 (102H) BYTES\n"
                                  "TOTAL RAM SIZE 0 (0H) BYTES\n"))
        << run.out;
    EXPECT_EQ(run.err, "\a");
    EXPECT_EQ(dir.read("MAIN.HEX"), HEX_END);
    EXPECT_TRUE(dir.read("MAIN.MAP").ends_with("TOTAL RAM SIZE 0 (0H) BYTES\r\n\x1A"));
}

TEST(PlacementRun, SuccessfulLinkPrintsTheTotalsAndEndsWithStatus0) {
    TempDir dir;
    write_module(dir, "MAIN.ROV", {{"P", 0, 0, 0, 0x1234}, {"R", 1, 0, 0, 0x80}});
    RunResult run = run_orvlink(dir.path(), {"MAIN,,P=1000 R,-."});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.ends_with("TOTAL ROM SIZE 4660 (1234H) BYTES\nTOTAL RAM SIZE 128 (80H) BYTES\n"))
        << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dir.read("MAIN.HEX"), HEX_END);
}

}  // namespace
}  // namespace orv::test
