#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command/command_harness.h"

namespace orv::test {
namespace {

const std::string TITLE = "Orvan Family LINKER V.4.00.00 \n";

// The queries a single argument makes, and the banner's place: after the
// options when every field is given (so -. suppresses it), else before the
// prompts, where a prompted -. comes too late.
TEST(Driver, QueriesAndTheBanner) {
    TempDir dir;
    const std::string prompts = PROMPT[1] + PROMPT[2] + PROMPT[3];
    const std::string e5 = "ERROR NO.5: Non relocatable file name\n";
    const struct {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {{"-V"}, "", 0, "", TITLE},
        {{"--version"}, "", 0, TITLE, ""},
        {{"-v"}, "\n\n\n", 2, "ERROR NO.0: -V.ROV File not found\n",
         BANNER + prompts + "now processing pass 1\n\a"},
        // Long options stand anywhere; after a lone "--" every word is ordinary.
        {{"x", "--version"}, "", 0, TITLE, ""},
        {{"-V", "--", "--version"}, "", 2, "ERROR NO.1: Invalid command input\n", BANNER + prompts + "\a"},
        {{"-V", "--bogus"}, "", 2, "ERROR NO.4: Invalid parameter input \"--bogus\"\n", "\a"},
        {{"x,,,-M --version=2"}, "", 2, "ERROR NO.4: Invalid parameter input \"--version=2\"\n", "\a"},
        {{"-V", "x,,,-Q"}, "", 2, "ERROR NO.4: Invalid parameter input \"-Q\"\n", "\a"},
        {{",,,-M"}, "", 2, e5, BANNER + "\a"},
        {{",,,-M -."}, "", 2, e5, "\a"},
        {{}, "\n\n\n-. -x\n", 2, "ERROR NO.4: Invalid parameter input \"-x\"\n",
         BANNER + PROMPT[0] + prompts + "\a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(no arguments)" : c.args[0]);
        RunResult run = run_orvlink(dir.path(), c.args, c.input);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
}

TEST(Driver, HelpPrintsTheUsageOnStandardOutput) {
    TempDir dir;
    RunResult run = run_orvlink(dir.path(), {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("Usage: orvlink ", 0), 0u);
    for (const char* text : {"-M ", "-MS", "-S ", "-N ", "-V ", "-A ", "-BANK", "-. ", "-Odir", "-Fname",
                             "-DEBUG", "@COMMAND-FILE", "LIBOV", "P=C000",
                             "0 success, 1 link errors, 2 command errors, 3 resource errors,\n"
                             "4 internal errors."}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text;
    }
    // Among the command parameters, --help answers once the fields are read.
    RunResult in_field = run_orvlink(dir.path(), {"x,,,-M --help"});
    EXPECT_EQ(in_field.status, 0);
    EXPECT_EQ(in_field.out, run.out);
    EXPECT_EQ(in_field.err, BANNER);
}

}  // namespace
}  // namespace orv::test
