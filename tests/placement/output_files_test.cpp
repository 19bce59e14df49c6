#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixture/object_writer.h"
#include "placement/link_bench.h"
#include "support/host_skips.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using orvfixture::ObjectWriter;

const std::string HEX_END = ":00000001FF\r\n\x1A";

void write_module(const TempDir& dir, const std::string& name, const std::vector<orvfixture::UnitSpec>& units) {
    ObjectWriter module;
    module.header("m.src").units(units).end();
    dir.write(name, module.bytes());
}

TEST(OutputFiles, NamesTooLongOrThatCannotBeCreatedAreError15) {
    TempDir dir;
    const std::string prefix = dir.path().string() + "/";
    const std::string missing = prefix + "MISSING/";
    // Directory, base name, extension and terminator: 513 bytes are too
    // many; 512 are tried.
    const struct {
        const char* trace;
        const char* dir;  // null: no directory
        std::string name;
        std::string message;
    } cases[] = {
        {"with a directory", prefix.c_str(), std::string(513 - 5 - prefix.size(), 'N'),
         ".HEX file ( file name is too long )"},
        {"without a directory", nullptr, std::string(508, 'N'), ".HEX file ( file name is too long )"},
        {"just fits", missing.c_str(), std::string(512 - 5 - missing.size(), 'N'),
         missing + std::string(512 - 5 - missing.size(), 'N') + ".HEX"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trace);
        LinkBench bench;
        bench.ctx.options.out_dir = c.dir != nullptr ? bench.ctx.str_save(c.dir) : nullptr;
        bench.ctx.options.out_name = bench.ctx.str_save(c.name);
        EXPECT_EQ(bench.run([&] { open_output_files(bench.ctx); }), 3);
        EXPECT_EQ(bench.out(), "ERROR NO.15: Can't create " + c.message + "\n");
        EXPECT_EQ(bench.err(), "\a");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(OutputFiles, MapFileThatCannotBeCreatedLeavesTheHexFileEmpty) {
    TempDir dir;
    std::filesystem::create_directory(dir / "PROG.MAP");
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.ctx.options.opt_sym = 1;
    EXPECT_EQ(bench.open_outputs(dir.path().string()), 3);
    EXPECT_EQ(bench.out(), "ERROR NO.15: Can't create " + dir.path().string() + "/PROG.MAP\n");
    EXPECT_EQ(dir.read("PROG.HEX"), "");
    EXPECT_FALSE(dir.exists("PROG.SYM"));
}

// The output files go to the host directory that the first file's
// directory names, or that -F's name leaves in place.
TEST(OutputFiles, CreatedInTheDirectoryOfTheFirstFile) {
    TempDir dir;
    write_module(dir, "obj/prog.rov", {{"P", 0, 0, 0, 2}});
    EXPECT_EQ(run_orvlink(dir.path(), {"obj\\prog,,,-M", "-S", "-."}).status, 0);
    EXPECT_EQ(dir.read("obj/PROG.HEX"), HEX_END);
    EXPECT_TRUE(dir.exists("obj/PROG.MAP"));
    EXPECT_TRUE(dir.exists("obj/PROG.SYM"));
}

// On a POSIX host a drive letter is part of the file name: the outputs go
// beside the input d:prog.rov as D:x.HEX.
TEST(OutputFiles, ADriveLetterStaysInTheNameOnPosix) {
    SKIP_ON_WINDOWS("d: names a drive on Windows");
    TempDir dir;
    write_module(dir, "d:prog.rov", {{"P", 0, 0, 0, 2}});
    EXPECT_EQ(run_orvlink(dir.path(), {"d:prog,,,-Fx", "-."}).status, 0);
    EXPECT_EQ(dir.read("D:x.HEX"), HEX_END);
}

TEST(OutputFiles, FatalPlacementErrorsLeaveNoOutputFile) {
    TempDir dir;
    write_module(dir, "MAIN.ROV", {{"P", 0, 0, 0, 2}, {"VEC", 0, 1, 0xFFFE, 2}});
    const struct {
        const char* field;
        std::string message;
        int status;
    } cases[] = {
        {"MAIN,,P VEC P,-M", "ERROR NO.3: Invalid section information\n", 2},
        {"MAIN,,VEC=100,-M", "ERROR NO.12: SECTION VEC is an absolute\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        RunResult run = run_orvlink(dir.path(), {c.field, "-."});
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\n" + c.message);
        EXPECT_EQ(run.err, "\a");
        EXPECT_FALSE(dir.exists("MAIN.HEX"));
        EXPECT_FALSE(dir.exists("MAIN.MAP"));
    }
}

}  // namespace
}  // namespace orv::test
