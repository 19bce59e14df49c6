#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixture/library_writer.h"
#include "support/run_linker.h"
#include "support/sanitizer.h"
#include "tools/tool_objects.h"

// orvobj and orvlib under the conditions a build meets: full disks, closed
// or failing consoles, pipes and devices as inputs, hostile names.
namespace orv::test {
namespace {

using namespace orvfixture;

RunResult shell(const TempDir& dir, const std::string& line) { return run_program("/bin/sh", dir.path(), {"-c", line}); }

std::string bytes_of(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

void write_library(const TempDir& dir, const std::string& file, const std::string& module_name) {
    LibraryWriter library;
    library.add(module_name, putc_module());
    dir.write(file, library.bytes());
}

// Output lost on a device or the console is a failure with a message, never
// status 0.
TEST(ToolHardening, LostOutputIsAFailure) {
    TempDir dir;
    dir.write("x.txt", "bogus\n");
    write_library(dir, "RTL.LIB", "PUTC");
    dir.write("putc.rov", bytes_of(putc_module()));
    const std::string obj = ORVOBJ_PATH, lib = ORVLIB_PATH;
    const struct {
        std::string line;
        std::string err;
    } cases[] = {
        {obj + " build putc.txt -o /dev/full", "orvobj: cannot write /dev/full\n"},
        {obj + " dump putc.rov >/dev/full", "orvobj: write error on standard output\n"},
        {obj + " --help >/dev/full", "orvobj: write error on standard output\n"},
        {obj + " --version >/dev/full", "orvobj: write error on standard output\n"},
        {lib + " list RTL.LIB >/dev/full", "orvlib: write error on standard output\n"},
        {lib + " --help >/dev/full", "orvlib: write error on standard output\n"},
        {lib + " --version >/dev/full", "orvlib: write error on standard output\n"},
        {lib + " create /dev/full putc.rov", "orvlib: cannot write /dev/full\n"},
        {lib + " extract RTL.LIB PUTC -o /dev/full", "orvlib: cannot write /dev/full\n"},
        {std::string(ORVSIZE_PATH) + " --help >/dev/full", "orvsize: write error on standard output\n"},
        {std::string(ORVADDR_PATH) + " --version >/dev/full", "orvaddr: write error on standard output\n"},
    };
    ASSERT_EQ(run_program(ORVOBJ_PATH, dir.path(), {"dump", "putc.rov"}).status, 0);
    dir.write("putc.txt", run_program(ORVOBJ_PATH, dir.path(), {"dump", "putc.rov"}).out);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        RunResult run = shell(dir, c.line);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.err);
    }
    // A closed standard output is filled, so that no file takes its
    // descriptor, but a listing written to it is lost all the same; a
    // command that writes nothing there still succeeds.
    const struct {
        std::string line;
        std::string err;
    } closed[] = {{lib + " list RTL.LIB >&-", "orvlib: write error on standard output\n"},
                  {obj + " dump putc.rov >&-", "orvobj: write error on standard output\n"}};
    for (const auto& c : closed) {
        RunResult run = shell(dir, c.line);
        EXPECT_EQ(run.status, 1) << c.line;
        EXPECT_EQ(run.err, c.err) << c.line;
    }
    RunResult quiet_build = shell(dir, obj + " build putc.txt -o again.rov >&-");
    EXPECT_EQ(quiet_build.status, 0) << quiet_build.err;
    EXPECT_EQ(dir.read("again.rov"), bytes_of(putc_module()));
}

// Outputs are written under a temporary name and renamed: on a full disk the
// old library and object stay whole, and no temporary is left. Needs a
// small tmpfs (root); skipped without one.
TEST(ToolHardening, AFullDiskLeavesTheOldFilesWhole) {
    TempDir dir;
    const std::filesystem::path disk = dir / "disk";
    std::filesystem::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount(path.c_str()); }
    } unmount{disk.string()};
    write_library(dir, "disk/RTL.LIB", "PUTC");
    dir.write("disk/putc.rov", bytes_of(putc_module()));
    const std::string library_before = dir.read("disk/RTL.LIB");
    const std::string object_before = dir.read("disk/putc.rov");
    dir.write("flags.rov", bytes_of(flags_module()));
    dir.write("putc.txt", run_program(ORVOBJ_PATH, dir.path(), {"dump", "disk/putc.rov"}).out);
    // Fill the disk to its last byte.
    ASSERT_NE(shell(dir, "cat /dev/zero > disk/filler 2>/dev/null").status, 0);

    RunResult create = run_program(ORVLIB_PATH, dir.path(), {"create", "disk/RTL.LIB", "disk/putc.rov", "flags.rov"});
    EXPECT_EQ(create.status, 1);
    EXPECT_EQ(create.err, "orvlib: cannot write disk/RTL.LIB\n");
    RunResult build = run_program(ORVOBJ_PATH, dir.path(), {"build", "putc.txt", "-o", "disk/putc.rov"});
    EXPECT_EQ(build.status, 1);
    EXPECT_EQ(build.err, "orvobj: cannot write disk/putc.rov\n");
    RunResult dump = shell(dir, std::string(ORVOBJ_PATH) + " dump disk/putc.rov > disk/more.txt");
    EXPECT_EQ(dump.status, 1);
    EXPECT_EQ(dump.err, "orvobj: write error on standard output\n");
    EXPECT_EQ(dir.read("disk/RTL.LIB"), library_before);
    EXPECT_EQ(dir.read("disk/putc.rov"), object_before);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(disk)) left.push_back(entry.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"RTL.LIB", "filler", "more.txt", "putc.rov"}));
}

// The default output name of extract comes from the library: it must name a
// plain file here, and replaces an existing one only with --force.
TEST(ToolHardening, ExtractWritesOnlyPlainNamesHere) {
    const struct {
        std::string module;
        std::string err;
    } refused[] = {
        {"../escaped", "orvlib: module name ../escaped holds a directory separator; name the output with -o\n"},
        {"/tmp/x/ABS", "orvlib: module name /tmp/x/ABS holds a directory separator; name the output with -o\n"},
        {"A\\B", "orvlib: module name A\\B holds a directory separator; name the output with -o\n"},
        {"C:X", "orvlib: module name C:X holds a directory separator; name the output with -o\n"},
        {"..", "orvlib: module name .. is a directory; name the output with -o\n"},
        {"A..B", "orvlib: module name A..B holds \"..\"; name the output with -o\n"},
        {"\x1B]0;X", "orvlib: module name \\x1B]0;X holds a control character; name the output with -o\n"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.module);
        TempDir dir;
        std::filesystem::create_directory(dir / "sub");
        write_library(dir, "sub/RTL.LIB", c.module);
        RunResult run = run_program(ORVLIB_PATH, dir / "sub", {"extract", "RTL.LIB", c.module});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sub"), {}), 1);
    }

    TempDir dir;
    write_library(dir, "RTL.LIB", "PUTC");
    dir.write("PUTC.ROV", "mine");
    RunResult kept = run_program(ORVLIB_PATH, dir.path(), {"extract", "RTL.LIB", "PUTC"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(kept.err, "orvlib: PUTC.ROV exists; give --force to replace it\n");
    EXPECT_EQ(dir.read("PUTC.ROV"), "mine");
    RunResult forced = run_program(ORVLIB_PATH, dir.path(), {"extract", "RTL.LIB", "PUTC", "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(dir.read("PUTC.ROV"), bytes_of(putc_module()));
}

// create replaces a library only: not an object named first by mistake, and
// not one of its own inputs.
TEST(ToolHardening, CreateReplacesOnlyALibraryThatIsNoInput) {
    TempDir dir;
    std::filesystem::create_directories(dir / "obj/lib");
    dir.write("obj/main.rov", bytes_of(putc_module()));
    dir.write("obj/lib/itoa.rov", bytes_of(flags_module()));
    RunResult swapped = run_program(ORVLIB_PATH, dir.path(), {"create", "obj/main.rov", "obj/lib/itoa.rov"});
    EXPECT_EQ(swapped.status, 1);
    EXPECT_EQ(swapped.err, "orvlib: obj/main.rov exists and is not a library; not replaced\n");
    EXPECT_EQ(dir.read("obj/main.rov"), bytes_of(putc_module()));

    RunResult itself = run_program(ORVLIB_PATH, dir.path(), {"create", "obj/lib/itoa.rov", "obj/lib/../lib/itoa.rov"});
    EXPECT_EQ(itself.status, 1);
    EXPECT_EQ(itself.err, "orvlib: obj/lib/itoa.rov is also an input\n");
    EXPECT_EQ(dir.read("obj/lib/itoa.rov"), bytes_of(flags_module()));

    write_library(dir, "RTL.LIB", "OLD");
    RunResult replaced = run_program(ORVLIB_PATH, dir.path(), {"create", "RTL.LIB", "obj/main.rov"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_NE(run_program(ORVLIB_PATH, dir.path(), {"list", "RTL.LIB"}).out.find("module MAIN:"), std::string::npos);
}

// Inputs are regular files, as the linker reads them: a named pipe or a
// device is refused at once (the shell's timeout would end a blocked run
// with 124), and running out of memory is a message.
TEST(ToolHardening, PipesDevicesAndMemoryLimits) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const std::string obj = ORVOBJ_PATH, lib = ORVLIB_PATH;
    const struct {
        std::string line;
        std::string err;
    } cases[] = {
        {"timeout 10 " + obj + " dump pipe", "orvobj: cannot read pipe\n"},
        {"timeout 10 " + obj + " dump /dev/zero", "orvobj: cannot read /dev/zero\n"},
        {"timeout 10 " + obj + " check pipe", "orvobj: cannot read pipe\n"},
        {"timeout 10 " + lib + " create out.lib pipe", "orvlib: cannot read pipe\n"},
        {"timeout 10 " + lib + " list /dev/zero", "orvlib: cannot read /dev/zero\n"},
        {"head -c 30000000 /dev/zero > big.rov && ulimit -v 60000 && exec " + obj + " dump big.rov",
         "orvobj: out of memory\n"},
        {"ulimit -v 60000 && exec " + lib + " create big.lib big.rov", "orvlib: out of memory\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        // AddressSanitizer reserves more address space than the limit leaves.
        if (ADDRESS_SANITIZER && c.line.find("ulimit") != std::string::npos) continue;
        RunResult run = shell(dir, c.line);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.err);
    }
    // orvsize and orvaddr read only regular files too (orvsize's status for
    // an unreadable report is 3).
    RunResult size = shell(dir, "timeout 10 " + std::string(ORVSIZE_PATH) + " pipe");
    EXPECT_EQ(size.status, 3);
    EXPECT_EQ(size.err, "orvsize: cannot read pipe\n");
    RunResult addr = shell(dir, "timeout 10 " + std::string(ORVADDR_PATH) + " -e /dev/zero C000");
    EXPECT_EQ(addr.status, 1);
    EXPECT_EQ(addr.err, "orvaddr: cannot read /dev/zero\n");
}

// Names and words from files reach the terminal escaped: C0, DEL and the C1
// controls, raw or in UTF-8; other UTF-8 stays as it is.
TEST(ToolHardening, ControlBytesAreEscapedOnTheConsole) {
    TempDir dir;
    dir.write("evil.txt", "\x1B]0;OWNED\a\n");
    RunResult build = run_program(ORVOBJ_PATH, dir.path(), {"build", "evil.txt", "-o", "evil.rov"});
    EXPECT_EQ(build.status, 1);
    EXPECT_EQ(build.err, "evil.txt:1: unknown record '\\x1B]0;OWNED\\x07'\n");

    write_library(dir, "RTL.LIB", "A\x9B" "31mB\xC2\x9B" "C\xC3\xA9");
    RunResult list = run_program(ORVLIB_PATH, dir.path(), {"list", "RTL.LIB"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("module A\\x9B31mB\\xC2\\x9BC\xC3\xA9: image"), std::string::npos) << list.out;
    RunResult missing = run_program(ORVLIB_PATH, dir.path(), {"extract", "RTL.LIB", "\x1B[2J"});
    EXPECT_EQ(missing.err, "orvlib: RTL.LIB has no module \\x1B[2J\n");
}

}  // namespace
}  // namespace orv::test
