#include <gtest/gtest.h>

#include <string>

#include "support/host_skips.h"
#include "command/command_harness.h"
#include "fixture/object_writer.h"
#include "support/shell_run.h"

namespace orv::test {
namespace {

using orvfixture::Bytes;
using orvfixture::ObjectWriter;

struct ConsoleCase {
    std::string redirections;  // applied by the shell to the linker
    std::string command;       // empty: the link of a hundred modules
    int status;
    std::string out;
    std::string err;
};

// With a console stream closed, no output file takes its descriptor: the
// files are those of a run with the whole console, which has enough text
// to flush while they are open. A stream on which writing fails turns a
// successful run, queries included, into status 3 with error 36 on the
// other stream; a failed run keeps its status; the files are still whole.
TEST(HostileConsole, ClosedOrFailingStreamsLeaveTheOutputFilesWhole) {
    SKIP_ON_WINDOWS("closes and redirects the console through a POSIX shell");
    TempDir dir;
    std::string link;
    for (int i = 0; i < 100; ++i) {
        std::string name = "M" + std::to_string(i);
        ObjectWriter module;
        module.header().units({{"P", 0, 0, 0, 16}}).labels(0, {{0, "l" + name}});
        module.contents(0, {{0, Bytes(16, uint8_t(i))}}).local_labels(0, {{4, "x"}});
        dir.write(name + ".ROV", module.end().bytes());
        link += name + (i < 99 ? " " : ",,P=1000,-MS -S");
    }
    const std::map<std::string, std::string> date = {{"SOURCE_DATE_EPOCH", "0"}};
    const RunResult whole = run_orvlink(dir.path(), {link}, "", date);
    ASSERT_EQ(whole.status, 0);
    ASSERT_EQ(whole.err, BANNER + "now processing pass 1\nnow processing pass 2\n");
    const std::string files[] = {dir.read("M0.HEX"), dir.read("M0.MAP"), dir.read("M0.SYM")};
    ASSERT_EQ(files[0].substr(0, 45), ":10100000" + std::string(32, '0') + "E0\r\n");

    const std::string out_lost = "ERROR NO.36: Write error on standard output\n\a";
    const std::string err_lost = "ERROR NO.36: Write error on standard error\n";
    const std::string missing = "ERROR NO.0: MISSING.ROV File not found\n";
    const ConsoleCase cases[] = {
        {">&-", "", 0, "", whole.err},
        {"2>&-", "", 0, whole.out, ""},
        {"<&- >&- 2>&-", "", 0, "", ""},
        {">/dev/full", "", 3, "", whole.err + out_lost},
        {"2>/dev/full", "", 3, whole.out + err_lost, ""},
        {">/dev/full 2>/dev/full", "", 3, "", ""},
        {">/dev/full", "--help", 3, "", out_lost},
        {">/dev/full", "--version", 3, "", out_lost},
        {"2>/dev/full", "-V", 3, err_lost, ""},
        {">&-", "--help", 0, "", ""},
        {">/dev/full", "missing,,,-.", 2, "", "\a" + out_lost},
        {"2>/dev/full", "missing,,,-.", 2, missing + err_lost, ""},
    };
    for (const ConsoleCase& c : cases) {
        SCOPED_TRACE(c.redirections + " " + c.command);
        for (const char* name : {"M0.HEX", "M0.MAP", "M0.SYM"}) std::filesystem::remove(dir / name);
        RunResult run = run_orvlink_shell(dir.path(), "exec \"$0\" \"$@\" " + c.redirections,
                                          {c.command.empty() ? link : c.command}, "", date);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
        if (c.command.empty()) {
            EXPECT_EQ(dir.read("M0.HEX"), files[0]);
            EXPECT_EQ(dir.read("M0.MAP"), files[1]);
            EXPECT_EQ(dir.read("M0.SYM"), files[2]);
        }
    }
}

}  // namespace
}  // namespace orv::test
