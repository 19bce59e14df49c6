#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using namespace orvfixture;

// MAIN.ROV has P, DATA, EXTRA, which the section information forgets, the
// zero page Z (unless left out), the special page S and the absolute VEC;
// the library module X adds to EXTRA too.
void write_program(const TempDir& dir, bool zero_page = true) {
    std::vector<UnitSpec> units = {{"P", 0, 0, 0, 2}, {"DATA", 1, 0, 0, 0x10}, {"EXTRA", 0, 0, 0, 2}};
    if (zero_page) units.push_back({"Z", 1, 0, 0, 1});
    units.push_back({"S", 0, 0, 0, 1});
    units.push_back({"VEC", 0, 1, 0xFFFE, 2});
    ObjectWriter main_module, x_module;
    main_module.header("main.src")
        .units(units)
        .externals({"x"})
        .contents(0, {{0, {0xEA, 0xEA}}})
        .end();
    x_module.header("x.src")
        .units({{"EXTRA", 0, 0, 0, 3}})
        .labels(0, {{0, "x"}})
        .contents(0, {{0, {1, 2, 3}}})
        .end();
    dir.write("MAIN.ROV", main_module.bytes());
    dir.write("L.LIB", LibraryWriter().add("X", x_module.bytes()).bytes());
}

const std::string FIELDS = "MAIN,L,P=C000 DATA=200,-.";
const std::string ORPHAN = "ERROR NO.43: Orphan section. SECTION=EXTRA ADDRESS=0210 in MAIN.ROV, L.LIB ( X )\n";
const std::string TOTALS = "TOTAL ROM SIZE 10 (AH) BYTES\nTOTAL RAM SIZE 17 (11H) BYTES\n";
const std::string PROCESSING =
    "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\nprocessing \"MAIN.ROV\"\nprocessing \"L.LIB ( X )\"\n";

struct ModeCase {
    std::vector<std::string> options;
    int status;
    bool listed;
};

// Only EXTRA is an orphan: Z and S have places of their own, VEC is
// absolute. The message comes where EXTRA is placed, after the section
// before it, and the outputs are always completed.
TEST(OrphanSections, EveryModeWithAndWithoutFatalWarnings) {
    const std::vector<ModeCase> cases = {
        {{}, 0, false},
        {{"--orphan-handling=place"}, 0, false},
        {{"--orphan-handling=place", "--fatal-warnings"}, 0, false},
        {{"--orphan-handling=warn"}, 0, true},
        {{"--orphan-handling=warn", "--fatal-warnings"}, 1, true},
        {{"--orphan-handling=error"}, 1, true},
        {{"--orphan-handling=error", "--fatal-warnings"}, 1, true},
        {{"--orphan-handling=error", "--orphan-handling=place"}, 0, false},
    };
    for (const ModeCase& c : cases) {
        TempDir dir;
        write_program(dir);
        std::vector<std::string> args = c.options;
        args.push_back(FIELDS);
        RunResult run = run_orvlink(dir.path(), args);
        const std::string label = c.options.empty() ? "(none)" : c.options[0] + " " + c.options.back();
        EXPECT_EQ(run.status, c.status) << label;
        EXPECT_EQ(run.out, (c.listed ? "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n" + ORPHAN +
                                            "processing \"MAIN.ROV\"\nprocessing \"L.LIB ( X )\"\n"
                                      : PROCESSING) +
                               TOTALS)
            << label;
        EXPECT_EQ(run.err, c.status != 0 ? "\a" : "") << label;
        EXPECT_TRUE(dir.read("MAIN.HEX").ends_with(":00000001FF\r\n\x1A")) << label;
    }
}

// Without section information every relocatable section but Z and S is
// an orphan, each reported where it lands.
TEST(OrphanSections, WithoutSectionInformationEverySectionIsReported) {
    TempDir dir;
    write_program(dir, false);
    RunResult run = run_orvlink(dir.path(), {"--orphan-handling=warn", "MAIN,L,,-."});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n"
              "ERROR NO.43: Orphan section. SECTION=P ADDRESS=0000 in MAIN.ROV\n"
              "ERROR NO.43: Orphan section. SECTION=DATA ADDRESS=0002 in MAIN.ROV\n"
              "ERROR NO.43: Orphan section. SECTION=EXTRA ADDRESS=0012 in MAIN.ROV, L.LIB ( X )\n"
              "processing \"MAIN.ROV\"\nprocessing \"L.LIB ( X )\"\n"
              "TOTAL ROM SIZE 10 (AH) BYTES\nTOTAL RAM SIZE 16 (10H) BYTES\n");
}

// With regions declared, a forgotten ROM section placed after the RAM is
// named as forgotten before the region check finds it outside the ROM.
TEST(OrphanSections, TheForgottenSectionIsNamedBeforeTheRegionFinding) {
    TempDir dir;
    write_program(dir);
    RunResult run = run_orvlink(dir.path(), {"--orphan-handling=warn", "--region=RAM:RAM:0000-03FF",
                                             "--region=ROM:ROM:C000-FFFF", FIELDS});
    EXPECT_EQ(run.status, 1);
    const std::size_t orphan = run.out.find(ORPHAN);
    const std::size_t outside = run.out.find("ERROR NO.35: SECTION EXTRA ADDRESS=0210 lies outside every ROM region\n");
    ASSERT_NE(orphan, std::string::npos) << run.out;
    ASSERT_NE(outside, std::string::npos) << run.out;
    EXPECT_LT(orphan, outside);
}

TEST(OrphanSections, AnUnknownModeIsAParameterError) {
    TempDir dir;
    write_program(dir);
    RunResult run = run_orvlink(dir.path(), {"--orphan-handling=ignore", FIELDS});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "ERROR NO.4: Invalid parameter input \"--orphan-handling=ignore\"\n");
    EXPECT_FALSE(dir.exists("MAIN.HEX"));
}

}  // namespace
}  // namespace orv::test
