#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "library/library_support.h"
#include "support/shell_run.h"

namespace orv::test {
namespace {

void make_fifo(const TempDir& dir, const std::string& name) {
    std::filesystem::create_directories((dir / name).parent_path());
    ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0);
}

// Objects and libraries are regular files: a named pipe or a device is
// refused at once as a file that is not there, wherever it is met, instead
// of holding the link up until a writer comes (the shell's timeout would
// end such a run with 124). An output that is a named pipe without a reader
// is refused at once too; a device is written where it is (and a full one is
// out of disk space). A command file may still be a pipe.
TEST(SpecialFiles, PipesAndDevicesAreNoObjectsLibrariesOrOutputs) {
    const Bytes standalone = object([](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 1}}).contents(0, {{0, {7}}}); });
    const Bytes needing_x = object([](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 1}}).externals({"x"}); });
    const std::string libraries = "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n";
    const struct {
        const char* what;
        std::function<void(const TempDir&)> prepare;
        std::string command;
        std::string out;
        int status;
    } cases[] = {
        {"object is a named pipe", [](const TempDir& d) { make_fifo(d, "MAIN.ROV"); }, "main,,,-.",
         "ERROR NO.0: MAIN.ROV File not found\n", 2},
        {"object is a device", [](const TempDir& d) { std::filesystem::create_symlink("/dev/zero", d / "MAIN.ROV"); },
         "main,,,-.", "ERROR NO.0: MAIN.ROV File not found\n", 2},
        {"library is a named pipe", [&](const TempDir& d) { d.write("MAIN.ROV", needing_x); make_fifo(d, "UTIL.LIB"); },
         "main,util,,-.", libraries + "ERROR NO.0: UTIL.LIB File not found\n", 2},
        {"library found through LIBOV is a named pipe",
         [&](const TempDir& d) { d.write("MAIN.ROV", needing_x); make_fifo(d, "libs/UTIL.LIB"); }, "main,util,,-.",
         libraries + "ERROR NO.0: UTIL.LIB File not found\n", 2},
        {"HEX file is a named pipe", [&](const TempDir& d) { d.write("MAIN.ROV", standalone); make_fifo(d, "MAIN.HEX"); },
         "main,,,-.", "processing \"MAIN.ROV\"\nERROR NO.15: Can't create MAIN.HEX\n", 3},
        {"report is a named pipe", [&](const TempDir& d) { d.write("MAIN.ROV", standalone); make_fifo(d, "r.json"); },
         "main,,,-. --link-report=r.json",
         "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\nTOTAL ROM SIZE 1 (1H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n"
         "ERROR NO.15: Can't create r.json\n", 3},
        {"dependency file is a named pipe", [&](const TempDir& d) { d.write("MAIN.ROV", standalone); make_fifo(d, "m.d"); },
         "main,,,-. --dependency-file=m.d", "processing \"MAIN.ROV\"\nERROR NO.31: Can't write dependency file m.d\n", 2},
        {"map file is a full device",
         [&](const TempDir& d) {
             d.write("MAIN.ROV", standalone);
             std::filesystem::create_symlink("/dev/full", d / "MAIN.MAP");
         },
         "main,,,-. -M",
         "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\nTOTAL ROM SIZE 1 (1H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n"
         "ERROR NO.18: Out of disk space\n", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        c.prepare(dir);
        RunResult run = run_orvlink_shell(dir.path(), "exec timeout 10 \"$0\" \"$@\"", {c.command}, "",
                                          {{"LIBOV", (dir / "libs").string()}});
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, "\a");
    }

    // A device takes the output as it is, and stays a device.
    for (const char* option : {"--output=/dev/null", "--link-report=/dev/null", "--memory-map=/dev/null"}) {
        SCOPED_TRACE(option);
        TempDir dir;
        dir.write("MAIN.ROV", standalone);
        RunResult run = run_orvlink(dir.path(), {"main,,,-.", option});
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\n"
                           "TOTAL ROM SIZE 1 (1H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n");
    }
    struct stat info;
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    TempDir dir;
    dir.write("MAIN.ROV", standalone);
    RunResult piped = run_orvlink_shell(dir.path(), "echo 'main,,,-.' | exec \"$0\" \"$@\"", {"@/dev/stdin"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\n"
                         "TOTAL ROM SIZE 1 (1H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n");
}

}  // namespace
}  // namespace orv::test
