#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixture/object_writer.h"
#include "orvbench/emitters.h"
#include "support/run_linker.h"
#include "support/shell_run.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

// The temporaries of a run: ".NAME.XXXXXX" beside the outputs.
std::vector<std::string> temporaries_in(const fs::path& dir) {
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 8 && name[0] == '.' && name[name.size() - 7] == '.') found.push_back(name);
    }
    return found;
}

// Starts orvlink in `dir` and sends it `signal_number` as soon as one of its
// temporaries exists; the wait status, or -1 when the run ended before any
// temporary was seen.
int link_interrupted(const fs::path& dir, const std::vector<std::string>& args, int signal_number) {
    pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        // A test run in the background ignores SIGINT, which the linker then
        // leaves ignored.
        for (int handled : {SIGINT, SIGTERM, SIGHUP}) ::signal(handled, SIG_DFL);
        std::vector<char*> argv{const_cast<char*>(ORVLINK_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::freopen("/dev/null", "w", stdout);
        ::execv(ORVLINK_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    for (;;) {
        if (::waitpid(child, &status, WNOHANG) == child) return -1;
        if (!temporaries_in(dir).empty()) break;
    }
    ::kill(child, signal_number);
    ::waitpid(child, &status, 0);
    return status;
}

// The reports are staged like the HEX file: a run ended by a signal while
// writing leaves the previous run's whole files under their names. SIGINT,
// SIGTERM and SIGHUP also remove the temporaries and end the run as the
// signal does; SIGKILL cannot be caught and leaves its temporary.
TEST(StagedOutputs, ASignalLeavesThePreviousReportsWhole) {
    TempDir dir;
    orvbench::Params params;
    params.modules = 3000;
    const std::string fields = orvbench::write_orv_inputs(orvbench::build(params), dir.path().string());
    orvfixture::ObjectWriter small;
    small.header("small.src").units({{"P", 0, 0, 0, 1}}).end();
    dir.write("small.rov", small.bytes());
    const std::vector<std::string> reports{"--link-report=r.json", "--memory-map=m.html", "--why-extract=w.txt"};
    std::vector<std::string> first{"small,,,-.", "--output=M00000.HEX"};
    first.insert(first.end(), reports.begin(), reports.end());
    ASSERT_EQ(run_orvlink(dir.path(), first).status, 0);
    const std::string before[] = {dir.read("r.json"), dir.read("m.html"), dir.read("w.txt"), dir.read("M00000.HEX")};

    std::vector<std::string> large{fields + ",,-."};
    large.insert(large.end(), reports.begin(), reports.end());
    int caught = 0;
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(signal_number);
        const int status = link_interrupted(dir.path(), large, signal_number);
        if (status == -1) continue;  // the link won the race: nothing to see
        ++caught;
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signal_number);
        EXPECT_EQ(dir.read("r.json"), before[0]);
        EXPECT_EQ(dir.read("m.html"), before[1]);
        EXPECT_EQ(dir.read("w.txt"), before[2]);
        EXPECT_EQ(dir.read("M00000.HEX"), before[3]);
        if (signal_number == SIGKILL) {
            EXPECT_FALSE(temporaries_in(dir.path()).empty());
        } else {
            EXPECT_EQ(temporaries_in(dir.path()), std::vector<std::string>{});
        }
    }
    EXPECT_GT(caught, 0) << "every link ended before its first temporary was seen";
}

// Two links into the same report names at once: each renames whole files
// into place, so the survivor parses.
TEST(StagedOutputs, ConcurrentLinksLeaveReportsThatParse) {
    TempDir dir;
    orvbench::Params params;
    params.modules = 1000;
    const std::string fields = orvbench::write_orv_inputs(orvbench::build(params), dir.path().string());
    const std::string link = "\"$0\" '" + fields + ",,-.' --link-report=r.json --output=$1.hex >/dev/null";
    RunResult both = run_orvlink_shell(dir.path(), link + " & " + link + " & wait $! && wait", {"a", "b"});
    EXPECT_EQ(both.status, 0) << both.err;
    RunResult parsed = run_program("python3", dir.path(), {"-c", "import json; json.load(open('r.json'))"});
    EXPECT_EQ(parsed.status, 0) << parsed.err;
    EXPECT_EQ(temporaries_in(dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace orv::test
