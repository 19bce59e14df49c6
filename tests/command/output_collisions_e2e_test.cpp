#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/host_skips.h"
#include "support/putc_program.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// main.rov needs putc from rtl.lib; the command file is prog.lnk.
void write_program(const TempDir& dir) {
    write_main_calling_putc(dir, "rtl.lib");
    dir.write("prog.lnk", "main,rtl,,-. -M");
}

const std::string PASS1 = "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n";

// An output that is an input, or another output of the run, is error 44
// (status 2) before anything is written: every input is as it was, and no
// output or temporary exists. The names are compared as files, not as
// spellings.
TEST(OutputCollisions, AnOutputThatIsAnInputOrAnotherOutputIsRefused) {
    // Each message, and the line --explain adds to say what the two files are.
    const struct {
        std::vector<std::string> options;
        std::string message;
        std::string explained;
    } cases[] = {
        {{"--link-report=main.rov"}, "Output file main.rov is the same file as MAIN.ROV",
         "main.rov is the link report (--link-report), MAIN.ROV an input of the link"},
        {{"--memory-map=./main.rov"}, "Output file ./main.rov is the same file as MAIN.ROV",
         "./main.rov is the memory map (--memory-map), MAIN.ROV an input of the link"},
        {{"--why-extract=rtl.lib"}, "Output file rtl.lib is the same file as RTL.LIB",
         "rtl.lib is the extraction table (--why-extract), RTL.LIB an input of the link"},
        {{"--dependency-file=prog.lnk"}, "Output file prog.lnk is the same file as prog.lnk",
         "prog.lnk is the dependency file (--dependency-file), prog.lnk an input of the link"},
        {{"--output=main.rov"}, "Output file main.rov is the same file as MAIN.ROV",
         "main.rov is the HEX file, MAIN.ROV an input of the link"},
        {{"--output=prog.hex", "--link-report=prog.map"}, "Output file prog.map is the same file as prog.map",
         "prog.map is the link report (--link-report), prog.map the map file"},
        {{"--link-report=MAIN.HEX"}, "Output file MAIN.HEX is the same file as MAIN.HEX",
         "MAIN.HEX is the link report (--link-report), MAIN.HEX the HEX file"},
        {{"--link-report=r", "--memory-map=r", "--why-extract=r", "--dependency-file=r"},
         "Output file r is the same file as r", "r is the memory map (--memory-map), r the link report (--link-report)"},
        {{"--link-report=sub/../r.json", "--memory-map=r.json"}, "Output file r.json is the same file as sub/../r.json",
         "r.json is the memory map (--memory-map), sub/../r.json the link report (--link-report)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options[0]);
        TempDir dir;
        write_program(dir);
        std::filesystem::create_directory(dir / "sub");
        const std::string main_before = dir.read("main.rov");
        const std::string lib_before = dir.read("rtl.lib");
        std::vector<std::string> args{"@prog.lnk"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        RunResult run = run_orvlink(dir.path(), args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, PASS1 + "ERROR NO.44: " + c.message + "\n");
        EXPECT_EQ(run.err, "\a");
        args.push_back("--explain");
        RunResult explained = run_orvlink(dir.path(), args);
        EXPECT_EQ(explained.status, 2);
        EXPECT_EQ(explained.out, PASS1 + "ERROR NO.44: " + c.message + "\n             " + c.explained + "\n");
        EXPECT_EQ(dir.read("main.rov"), main_before);
        EXPECT_EQ(dir.read("rtl.lib"), lib_before);
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "main.rov" || name == "rtl.lib" || name == "prog.lnk" || name == "sub") << name;
        }
    }
}

// Devices take any number of outputs; a report name is used exactly as
// typed, so an existing R.JSON stays when r.json is asked for.
TEST(OutputCollisions, DevicesAndNamesThatDifferAreNoCollision) {
    SKIP_ON_WINDOWS("writes to /dev/null, which Windows names NUL");
    TempDir dir;
    write_program(dir);
    dir.write("R.JSON", "earlier");
    RunResult run = run_orvlink(dir.path(), {"@prog.lnk", "--link-report=r.json", "--memory-map=/dev/null",
                                             "--why-extract=/dev/null", "--dependency-file=/dev/null"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(dir.read("R.JSON"), "earlier");
    EXPECT_EQ(dir.read("r.json").substr(0, 1), "{");
    EXPECT_TRUE(dir.exists("MAIN.MAP"));
}

}  // namespace
}  // namespace orv::test
