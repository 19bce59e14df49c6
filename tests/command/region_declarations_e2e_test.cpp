#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/region_programs.h"

namespace orv::test {
namespace {

using orvfixture::UnitSpec;

struct DeclarationCase {
    std::vector<std::string> args;
    std::string message;  // after "ERROR NO.33: Invalid region declaration "
};

// Every way a declaration can be wrong is a command error that names the
// declaration, before anything is read; the fourth field carries regions too.
TEST(RegionDeclarations, ABadDeclarationIsACommandErrorNamingIt) {
    TempDir dir;
    dir.write("MAIN.ROV", region_module({{"P", 0, 0, 0, 4}}));
    const std::string form = "write NAME:ROM:START-END or NAME:RAM:START-END in hexadecimal";
    const DeclarationCase cases[] = {
        {{"--region=ZP"}, "\"ZP\": " + form},
        {{"--region=:RAM:0-1"}, "\":RAM:0-1\": " + form},
        {{"--region=ZP:EEPROM:0-1"}, "\"ZP:EEPROM:0-1\": " + form},
        {{"--region=ZP:RAM:0000"}, "\"ZP:RAM:0000\": " + form},
        {{"--region=ZP:RAM:0-1G"}, "\"ZP:RAM:0-1G\": " + form},
        {{"--region=ZP:RAM:-1"}, "\"ZP:RAM:-1\": " + form},
        {{"--region=ZP:RAM:100-FF"}, "\"ZP:RAM:100-FF\": START is above END"},
        {{"--region=ROM:ROM:C000-10000"}, "\"ROM:ROM:C000-10000\": END is above FFFF"},
        {{"--region=ROM:ROM:C000-20000", "-BANK"}, "\"ROM:ROM:C000-20000\": END is above 1FFFF"},
        {{"--region=A:RAM:0-FF", "--region=A:ROM:C000-FFFF"}, "\"A:ROM:C000-FFFF\": the name A is declared twice"},
        {{"--region=A:RAM:0-FF", "--region=B:RAM:FF-1FF"}, "\"B:RAM:FF-1FF\": it shares addresses with region A"},
        {{"--region=A:RAM:100-1FF", "--region=B:ROM:0-FFFF"}, "\"B:ROM:0-FFFF\": it shares addresses with region A"},
    };
    for (const DeclarationCase& c : cases) {
        std::string parameters = "-.";
        for (const std::string& word : c.args) parameters += " " + word;
        RunResult run = run_orvlink(dir.path(), {"MAIN,,," + parameters});
        EXPECT_EQ(run.out, "ERROR NO.33: Invalid region declaration " + c.message + "\n") << parameters;
        EXPECT_EQ(run.err, "\a") << parameters;
        EXPECT_EQ(run.status, 2) << parameters;
        EXPECT_FALSE(dir.exists("MAIN.HEX")) << parameters;
    }
}

// Kinds in either case, -BANK's wider limit, adjacent regions, and regions
// on the command line: a link that fits ends as without regions.
TEST(RegionDeclarations, GoodDeclarationsLinkAsBefore) {
    TempDir dir;
    dir.write("MAIN.ROV", region_module({{"P", 0, 0, 0, 4}, {"E", 0, 1, 0x10000, 2}}));
    RunResult run = run_orvlink(dir.path(), {"--region=LOW:ram:0-FFF", "--region=FLASH:Rom:1000-FFFF",
                                             "--region=EXT:ROM:10000-1FFFF", "MAIN,,P=1000,-. -BANK"});
    EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\nTOTAL ROM SIZE 6 (6H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n");
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace orv::test
