#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <set>
#include <string>
#include <vector>

#include "command/command_harness.h"
#include "fixture/object_writer.h"
#include "support/host_skips.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using orvfixture::ObjectWriter;

const std::string HEX_END = ":00000001FF\r\n\x1A";
const std::string TOTALS_0 = "TOTAL ROM SIZE 2 (2H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n";

// MAIN.ROV: one unit of two bytes at 0 (in section P).
void write_main(const TempDir& dir, uint8_t first_byte = 0xAA, const std::string& name = "MAIN.ROV") {
    ObjectWriter module;
    module.header("main.src").units({{"P", 0, 0, 0, 2}}).contents(0, {{0, {first_byte, 0xBB}}}).end();
    dir.write(name, module.bytes());
}

// The names in `dir`, so that a test sees every file a run left, temporary
// ones included.
std::set<std::string> listing(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        names.insert(entry.path().lexically_relative(dir.path()).generic_string());
    }
    return names;
}

// Batch use never waits on standard input: fields not given are empty.
TEST(BuildUse, BatchTakesMissingFieldsAsEmpty) {
    TempDir dir;
    write_main(dir);
    dir.write("two.lnk", "MAIN,\n");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {{"--batch"}, 2, "ERROR NO.5: Non relocatable file name\n", BANNER + "\a"},
        {{"MAIN,", "--batch"}, 0, "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\n" + TOTALS_0,
         BANNER + "now processing pass 1\nnow processing pass 2\n"},
        {{"MAIN", "--batch"}, 0, "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\n" + TOTALS_0,
         BANNER + "now processing pass 1\nnow processing pass 2\n"},
        {{"--batch", "@two.lnk"}, 0, "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\n" + TOTALS_0,
         BANNER + "now processing pass 1\nnow processing pass 2\n"},
        // With every field given the options come before the banner.
        {{"MAIN,,,-.", "--batch"}, 0, "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\n" + TOTALS_0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        // Standard input holds answers that a prompt would take.
        RunResult run = run_orvlink(dir.path(), c.args, "X\n\n\n\n");
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
}

// --output names the HEX file as typed; the map and symbol files replace its
// extension, in its letter case.
TEST(BuildUse, OutputNamesTheHexFileExactly) {
    const struct {
        std::string output;
        std::vector<std::string> files;
    } cases[] = {
        {"out/prog.hex", {"out/prog.hex", "out/prog.map", "out/prog.sym"}},
        {"Prog.Hex", {"Prog.Hex", "Prog.MAP", "Prog.SYM"}},
        {"image", {"image", "image.MAP", "image.SYM"}},
        {"v1.2/image.ihx", {"v1.2/image.ihx", "v1.2/image.map", "v1.2/image.sym"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        TempDir dir;
        write_main(dir);
        std::filesystem::create_directories(dir / "out");
        std::filesystem::create_directories(dir / "v1.2");
        RunResult run = run_orvlink(dir.path(), {"MAIN,,,-M -S -.", "--output=" + c.output});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(dir.read(c.files[0]), ":02000000AABB99\r\n" + HEX_END);
        EXPECT_TRUE(dir.read(c.files[1]).ends_with("TOTAL RAM SIZE 0 (0H) BYTES\r\n\x1A"));
        EXPECT_TRUE(dir.read(c.files[2]).ends_with("\x1A"));
        std::set<std::string> expected{"MAIN.ROV", "out", "v1.2"};
        expected.insert(c.files.begin(), c.files.end());
        EXPECT_EQ(listing(dir), expected);
    }
}

TEST(BuildUse, OutputRefusesWhatContradictsIt) {
    TempDir dir;
    write_main(dir);
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"MAIN,,,-Oout -.", "--output=a.hex"}, "ERROR NO.32: \"--output\" can't be used with \"-Oout\"\n"},
        {{"MAIN,,,--output=a.hex -fx -Oy -."}, "ERROR NO.32: \"--output\" can't be used with \"-fx\"\n"},
        {{"MAIN,,,-M -.", "--output=a.map"}, "ERROR NO.4: Invalid parameter input \"--output=a.map\"\n"},
        {{"MAIN,,,-S -.", "--output=A.SYM"}, "ERROR NO.4: Invalid parameter input \"--output=A.SYM\"\n"},
        {{"MAIN", "--output"}, "ERROR NO.4: Invalid parameter input \"--output\"\n"},
        {{"MAIN", "--dependency-file="}, "ERROR NO.4: Invalid parameter input \"--dependency-file=\"\n"},
        {{"MAIN", "--batch=1"}, "ERROR NO.4: Invalid parameter input \"--batch=1\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        RunResult run = run_orvlink(dir.path(), c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, c.message);
        EXPECT_EQ(run.err, "\a");
    }
    EXPECT_EQ(listing(dir), std::set<std::string>{"MAIN.ROV"});
}

// Messages 23, 24 and 27 fail the run only with --fatal-warnings; the output
// files are complete either way.
TEST(BuildUse, FatalWarningsEndTheRunWithStatusOne) {
    TempDir dir;
    ObjectWriter rom;
    rom.header("rom.src").units({{"P", 0, 0, 0, 2}}).contents(0, {{0, {1, 2}}}).end();
    dir.write("ROM.ROV", rom.bytes());
    ObjectWriter ram;  // P as RAM: message 23
    ram.header("ram.src").units({{"P", 1, 0, 0, 2}}).end();
    dir.write("RAM.ROV", ram.bytes());
    for (bool fatal : {false, true}) {
        SCOPED_TRACE(fatal);
        std::vector<std::string> args{"ROM RAM,,,-M -."};
        if (fatal) args.push_back("--fatal-warnings");
        RunResult run = run_orvlink(dir.path(), args);
        EXPECT_EQ(run.status, fatal ? 1 : 0);
        EXPECT_EQ(run.err, fatal ? "\a" : "");
        EXPECT_NE(run.out.find("ERROR NO.23: Section type mismatch in SECTION P\n"), std::string::npos);
        EXPECT_TRUE(dir.read("ROM.HEX").ends_with(HEX_END));
        EXPECT_TRUE(dir.read("ROM.MAP").ends_with("\x1A"));
    }
}

// A failed run leaves its files as far as they were written; with
// --delete-on-error it leaves no file under any of its output names, an
// earlier run's whole files included, and never an input. No temporary file
// is left behind either way.
TEST(BuildUse, DeleteOnErrorRemovesTheFilesOfAFailedRun) {
    ObjectWriter overlap;  // two absolute units on one address: error 11, status 1
    overlap.header("main.src").units({{"A", 0, 1, 0x100, 2}, {"B", 0, 1, 0x101, 2}}).end();
    ObjectWriter whole;  // cut in its contents record: error 6 in pass 2
    whole.header("main.src").units({{"P", 0, 0, 0, 0x20}}).contents(0, {{0, std::vector<uint8_t>(0x20, 0xAA)}}).end();
    const std::string damaged(whole.bytes().begin(), whole.bytes().end() - 5);
    const struct {
        const char* trace;
        std::string module;
        int status;
        std::string hex_left;  // without the option
    } cases[] = {
        {"overlap", std::string(overlap.bytes().begin(), overlap.bytes().end()), 1, HEX_END},
        {"fatal in pass 2", damaged, 4, ":10000000AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA50\r\n"
                                        ":10001000AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA40\r\n"},
    };
    for (const auto& c : cases) {
        for (bool remove : {false, true}) {
            SCOPED_TRACE(std::string(c.trace) + (remove ? " with the option" : ""));
            TempDir dir;
            dir.write("MAIN.ROV", c.module);
            dir.write("MAIN.MAP", "earlier map");
            dir.write("r.json", "earlier report");
            std::vector<std::string> args{"MAIN,,,-M -."};
            if (remove) args.push_back("--delete-on-error");
            EXPECT_EQ(run_orvlink(dir.path(), args).status, c.status);
            if (remove) {
                EXPECT_EQ(listing(dir), (std::set<std::string>{"MAIN.ROV", "r.json"}));
                // The earlier HEX file, and a report the failed run names.
                dir.write("MAIN.HEX", "earlier hex");
                args.push_back("--link-report=r.json");
                EXPECT_EQ(run_orvlink(dir.path(), args).status, c.status);
                EXPECT_EQ(listing(dir), (std::set<std::string>{"MAIN.ROV"}));
            } else {
                EXPECT_EQ(listing(dir), (std::set<std::string>{"MAIN.HEX", "MAIN.MAP", "MAIN.ROV", "r.json"}));
                EXPECT_EQ(dir.read("MAIN.HEX"), c.hex_left);
            }
        }
    }
}

// An output name that is a symbolic link keeps it: the file it points at is
// replaced.
TEST(BuildUse, AnOutputThroughASymbolicLinkReplacesItsTarget) {
    SKIP_ON_WINDOWS("needs a symbolic link, which Windows makes only with a privilege");
    TempDir dir;
    write_main(dir);
    dir.write("real/MAIN.HEX", "earlier");
    std::filesystem::create_symlink("real/MAIN.HEX", dir / "MAIN.HEX");
    EXPECT_EQ(run_orvlink(dir.path(), {"MAIN,,,-."}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "MAIN.HEX"));
    EXPECT_EQ(dir.read("real/MAIN.HEX"), ":02000000AABB99\r\n" + HEX_END);
    EXPECT_EQ(listing(dir), (std::set<std::string>{"MAIN.HEX", "MAIN.ROV", "real", "real/MAIN.HEX"}));
}

// Two links that write the same output name at once: the name always holds
// one link's whole file, never the start of one and the end of the other.
TEST(BuildUse, ConcurrentLinksNeverMixTheirFiles) {
    TempDir dir;
    // Big enough that writing the file takes many buffer flushes.
    for (int m = 0; m < 2; ++m) {
        ObjectWriter module;
        std::vector<uint8_t> bytes(0xC000, uint8_t(m == 0 ? 0x11 : 0x22));
        module.header("m.src").units({{"P", 0, 0, 0, 0xC000}}).contents(0, {{0, bytes}}).end();
        dir.write(m == 0 ? "ONE.ROV" : "TWO.ROV", module.bytes());
    }
    std::string whole[2];
    for (int m = 0; m < 2; ++m) {
        ASSERT_EQ(run_orvlink(dir.path(), {m == 0 ? "ONE,,,-." : "TWO,,,-."}).status, 0);
        whole[m] = dir.read(m == 0 ? "ONE.HEX" : "TWO.HEX");
    }
    for (int round = 0; round < 6; ++round) {
        auto link = [&](const char* name) {
            return run_orvlink(dir.path(), {std::string(name) + ",,,-.", "--output=SAME.HEX"});
        };
        auto first = std::async(std::launch::async, link, "ONE");
        auto second = std::async(std::launch::async, link, "TWO");
        const RunResult one = first.get();
        const RunResult two = second.get();
        ASSERT_EQ(one.status, 0) << one.out << one.err;
        ASSERT_EQ(two.status, 0) << two.out << two.err;
        std::string hex = dir.read("SAME.HEX");
        EXPECT_TRUE(hex == whole[0] || hex == whole[1]) << "round " << round;
    }
    EXPECT_EQ(listing(dir), (std::set<std::string>{"ONE.HEX", "ONE.ROV", "SAME.HEX", "TWO.HEX", "TWO.ROV"}));
}

// The companion tools share the linker's version.
TEST(BuildUse, ToolsPrintTheLinkersVersion) {
    TempDir dir;
    for (const char* tool : {ORVOBJ_PATH, ORVLIB_PATH}) {
        SCOPED_TRACE(tool);
        RunResult run = run_program(tool, dir.path(), {"--version"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, std::filesystem::path(tool).stem().string() + " V.4.00.00\n");
        EXPECT_EQ(run.err, "");
    }
    RunResult help = run_orvlink(dir.path(), {"--help"});
    for (const char* option : {"--batch", "--output=FILE", "--dependency-file=FILE", "--delete-on-error",
                               "--fatal-warnings", "--section-symbols", "--defsym=NAME=VALUE",
                               "--orphan-handling=MODE"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// --delete-on-error never removes an input, even when an output name is one
// (error 45 stops such a run before it writes).
TEST(BuildUse, DeleteOnErrorKeepsTheInputs) {
    TempDir dir;
    write_main(dir);
    const std::string before = dir.read("MAIN.ROV");
    RunResult run = run_orvlink(dir.path(), {"MAIN,,,-.", "--delete-on-error", "--link-report=MAIN.ROV"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\nERROR NO.44: Output file MAIN.ROV is the same file as MAIN.ROV\n");
    EXPECT_EQ(dir.read("MAIN.ROV"), before);
}

}  // namespace
}  // namespace orv::test
