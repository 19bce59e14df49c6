#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "command/command_harness.h"

namespace orv::test {
namespace {

struct FatalCase {
    std::vector<std::string> args;
    std::string input;  // standard input
    std::string out;    // the one line on standard output
    std::string err;    // standard error before the bell
    int status;
};

// Every fatal error of command input: its line on standard output, the bell
// on standard error after the banner and prompts that came before it, and its
// exit status. With all four fields given, errors in the options come before
// the banner, and -. keeps it quiet for the errors after them.
TEST(CommandErrors, EveryErrorPrintsItsLineRingsTheBellAndEndsWithItsStatus) {
    TempDir dir;
    dir.write("five.txt", "a,\nb,\nc,\nd,\n,");
    dir.write("long.txt", std::string(8192, 'x') + "\n");
    dir.write("ALL.TXT", "a,\r\nlib,\r\nP=C000,\r\n-. -Q,\r\n\r\n");
    dir.write("two.txt", "a,lib");
    dir.write("cmd.txt", "a,,,-Y");
    std::filesystem::create_directory(dir / "sub");
    const std::string e1 = "ERROR NO.1: Invalid command input\n";
    const std::string e3 = "ERROR NO.3: Invalid section information\n";
    const std::string e5 = "ERROR NO.5: Non relocatable file name\n";
    const std::string all_prompts = PROMPT[0] + PROMPT[1] + PROMPT[2] + PROMPT[3];
    const std::string last_two = PROMPT[2] + PROMPT[3];
    const FatalCase cases[] = {
        {{"@missing.txt"}, "", "ERROR NO.0: missing.txt File not found\n", "", 2},
        {{"@"}, "", "ERROR NO.0:  File not found\n", "", 2},
        {{"@sub"}, "", "ERROR NO.0: sub File not found\n", "", 2},
        {{"a,b,c,d,e"}, "", e1, "", 2},
        {{"a,b,c,d,", "e"}, "", e1, "", 2},
        {{"a,b,c,d", ",e"}, "", e1, "", 2},
        {{std::string(8193, 'a')}, "", e1, "", 2},
        {{std::string(8192, 'a'), "b"}, "", e1, "", 2},  // the joining blank counts
        {{"@five.txt"}, "", e1, "", 2},
        {{"@long.txt"}, "", e1, "", 2},
        {{std::string(508, 'n') + ",,,-."}, "", e1, "", 2},
        {{std::string(508, 'n') + ".ROV,,,-."}, "", e1, "", 2},
        {{"a," + std::string(508, 'l') + ",,-."}, "", e1, "", 2},
        {{}, "a\nb\n", e1, BANNER + all_prompts, 2},
        {{"a,b,c"}, std::string(8191, '-') + "\n", e1, BANNER + PROMPT[3], 2},
        {{"a,b,c"}, "-M\x1A\n", e1, BANNER + PROMPT[3], 2},
        {{"a,,P", "=", "C000,-."}, "", e3, "", 2},
        {{"a,,P=,-."}, "", e3, "", 2},
        {{"a,,P= 100,-."}, "", e3, "", 2},
        {{"a,,P=x,-."}, "", e3, "", 2},
        {{"a,,P=C000H,-."}, "", e3, "", 2},
        {{"a,,P=100=200,-."}, "", e3, "", 2},
        {{"@two.txt"}, "P=C000 x=1,\n-M\n", e3, BANNER + last_two, 2},
        {{"a,,,-M", "map"}, "", "ERROR NO.4: Invalid parameter input \"map\"\n", "", 2},
        {{"a,,"}, "\n-M,-S\n", "ERROR NO.4: Invalid parameter input \"-M,-S\"\n",
         BANNER + last_two, 2},
        {{"@ALL.TXT"}, "", "ERROR NO.4: Invalid parameter input \"-Q\"\n", "", 2},
        {{"@cmd.txt", ",,,-Z"}, "", "ERROR NO.4: Invalid parameter input \"-Z\"\n", "", 2},
        {{}, "\n\n\n\n", e5, BANNER + all_prompts, 2},
        {{" ,lib,,-."}, "", e5, "", 2},
        {{"a,,p=10000,-M"}, "", "ERROR NO.28: Section \"P\" information is out of range.\n", BANNER, 1},
        {{"a,,DATA=20000,-BANK -."}, "", "ERROR NO.28: Section \"DATA\" information is out of range.\n",
         "", 1},
        {{"a,,X=80000000,-."}, "", "ERROR NO.28: Section \"X\" information is out of range.\n", "", 1},
    };
    std::vector<FatalCase> all(std::begin(cases), std::end(cases));
    // Every malformed option is refused by its whole token; -B and -BA, cut
    // short of -BANK, are refused like -BAN.
    for (std::string token : {"-", "-Sx", "-MX", "-MSS", "-BANKS", "-BANX", "-BAN", "-BA", "-B", "-ba",
                              "-debug", "-Debug", "-DEBUGX", "-d", "-Q", "-O", "-f", "s"}) {
        std::string line = "ERROR NO.4: Invalid parameter input \"" + token + "\"\n";
        all.push_back({{"a,,,-M", token}, "", line, "", 2});
    }
    for (const FatalCase& c : all) {
        SCOPED_TRACE("row " + std::to_string(&c - all.data()) + ": " +
                     (c.args.empty() ? "" : c.args.back().substr(0, 40)));
        RunResult run = run_orvlink(dir.path(), c.args, c.input);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err + "\a");
        EXPECT_EQ(run.status, c.status);
    }
}

}  // namespace
}  // namespace orv::test
