#include <gtest/gtest.h>

#include <string>

#include "support/run_linker.h"

namespace orv::test {
namespace {

const std::string TITLE = "Orvan Family LINKER V.4.00.00 \n";

const std::string BANNER = TITLE +
                           "Copyright (C) 2026 Orvlink developers. All rights reserved.\n"
                           "Linker for the Orvan family of 8-bit microcontrollers.\n"
                           "\n";

TEST(Queries, HelpPrintsTheUsageOnStandardOutput) {
    TempDir dir;
    RunResult run = run_orvlink(dir.path(), {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("Usage: orvlink ", 0), 0u);
    for (const char* option : {"-M ", "-MS", "-S ", "-N ", "-V ", "-A ", "-BANK", "-. ", "-Odir",
                               "-Fname", "-DEBUG", "@COMMAND-FILE", "LIBOV", "P=C000"}) {
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    }
    EXPECT_NE(run.out.find("0 success, 1 link errors, 2 command errors, 3 resource errors,\n"
                           "4 internal errors."),
              std::string::npos);
}

TEST(Queries, VersionPrintsTheTitleLineOnStandardOutput) {
    TempDir dir;
    RunResult run = run_orvlink(dir.path(), {"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, TITLE);
    EXPECT_EQ(run.err, "");
}

TEST(Queries, WithAnotherArgumentTheyAreOrdinaryText) {
    TempDir dir;
    // "--help x" becomes the relocatable field; the other fields are prompted
    // and empty input ends the run.
    RunResult run = run_orvlink(dir.path(), {"--help", "x"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "ERROR NO.1: Invalid command input\n");
    EXPECT_EQ(run.err, BANNER +
                           "Libraries         (.LIB) >> Section information      >> "
                           "Command parameter        >> \a");

    run = run_orvlink(dir.path(), {"-V", "x,,,-Q"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "ERROR NO.4: Invalid parameter input \"-Q\"\n");
}

TEST(Banner, PrintedBeforeThePromptsEvenWhenTheAnswerIsQuiet) {
    TempDir dir;
    RunResult run = run_orvlink(dir.path(), {}, "\n\n\n-. -x\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "ERROR NO.4: Invalid parameter input \"-x\"\n");
    EXPECT_EQ(run.err, BANNER +
                           "Relocatable files (.ROV) >> Libraries         (.LIB) >> "
                           "Section information      >> Command parameter        >> \a");
}

TEST(Banner, PrintedAfterTheOptionsWhenAllFieldsAreGiven) {
    TempDir dir;
    // The banner comes between the options and the file lists: the empty
    // relocatable field fails after it, unless -. keeps it quiet.
    RunResult loud = run_orvlink(dir.path(), {",,,-M"});
    EXPECT_EQ(loud.status, 2);
    EXPECT_EQ(loud.out, "ERROR NO.5: Non relocatable file name\n");
    EXPECT_EQ(loud.err, BANNER + "\a");

    RunResult quiet = run_orvlink(dir.path(), {",,,-M -."});
    EXPECT_EQ(quiet.status, 2);
    EXPECT_EQ(quiet.out, "ERROR NO.5: Non relocatable file name\n");
    EXPECT_EQ(quiet.err, "\a");
}

}  // namespace
}  // namespace orv::test
