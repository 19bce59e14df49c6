#include <gtest/gtest.h>

#include <string>

#include "support/run_linker.h"

namespace orv::test {
namespace {

const std::string BANNER =
    "Orvan Family LINKER V.4.00.00 \n"
    "Copyright (C) 2026 Orvlink developers. All rights reserved.\n"
    "Linker for the Orvan family of 8-bit microcontrollers.\n"
    "\n";

const std::string ALL_PROMPTS =
    "Relocatable files (.ROV) >> Libraries         (.LIB) >> "
    "Section information      >> Command parameter        >> ";

// Every fatal error: its line on standard output, the bell on standard error
// after whatever came before it, and its exit status.
void expect_fatal(const RunResult& run, const std::string& line, int status,
                  const std::string& err_before_bell = "") {
    EXPECT_EQ(run.out, line);
    EXPECT_EQ(run.err, err_before_bell + "\a");
    EXPECT_EQ(run.status, status);
}

TEST(CommandErrors, FileNotFoundForTheCommandFile) {
    TempDir dir;
    expect_fatal(run_orvlink(dir.path(), {"@missing.txt"}),
                 "ERROR NO.0: missing.txt File not found\n", 2);
    expect_fatal(run_orvlink(dir.path(), {"@"}), "ERROR NO.0:  File not found\n", 2);
}

TEST(CommandErrors, InvalidCommandInput) {
    TempDir dir;
    const std::string line = "ERROR NO.1: Invalid command input\n";
    expect_fatal(run_orvlink(dir.path(), {"a,b,c,d,e"}), line, 2);
    expect_fatal(run_orvlink(dir.path(), {"a,b,c,d,", "e"}), line, 2);
    expect_fatal(run_orvlink(dir.path(), {std::string(8193, 'a')}), line, 2);
    dir.write("five.txt", "a,\nb,\nc,\nd,\ne\n");
    expect_fatal(run_orvlink(dir.path(), {"@five.txt"}), line, 2);
    // A name too long for the linker.
    expect_fatal(run_orvlink(dir.path(), {std::string(508, 'n') + ",,,-M"}), line, 2, BANNER);
}

TEST(CommandErrors, PromptAnsweredByEndOfInputOrAnOverlongLine) {
    TempDir dir;
    const std::string line = "ERROR NO.1: Invalid command input\n";
    expect_fatal(run_orvlink(dir.path(), {}, "a\nb\n"), line, 2, BANNER + ALL_PROMPTS);
    expect_fatal(run_orvlink(dir.path(), {"a,b,c"}, std::string(8191, '-') + "\n"), line, 2,
                 BANNER + "Command parameter        >> ");
}

TEST(CommandErrors, InvalidSectionInformation) {
    TempDir dir;
    const std::string line = "ERROR NO.3: Invalid section information\n";
    expect_fatal(run_orvlink(dir.path(), {"a,,P", "=", "C000,"}, "\n"), line, 2,
                 BANNER + "Command parameter        >> ");
    expect_fatal(run_orvlink(dir.path(), {"a,,P=C000H,-M"}), line, 2, BANNER);
}

TEST(CommandErrors, InvalidParameterNamesTheToken) {
    TempDir dir;
    // With all four fields the options are read before the banner.
    expect_fatal(run_orvlink(dir.path(), {"a,,,-M", "map"}),
                 "ERROR NO.4: Invalid parameter input \"map\"\n", 2);
    expect_fatal(run_orvlink(dir.path(), {"a,,,-BA"}),
                 "ERROR NO.4: Invalid parameter input \"-BA\"\n", 2);
    expect_fatal(run_orvlink(dir.path(), {"a,,"}, "\n-M,-S\n"),
                 "ERROR NO.4: Invalid parameter input \"-M,-S\"\n", 2,
                 BANNER + "Section information      >> Command parameter        >> ");
}

TEST(CommandErrors, NonRelocatableFileName) {
    TempDir dir;
    expect_fatal(run_orvlink(dir.path(), {},
                             "\n\n\n\n"),
                 "ERROR NO.5: Non relocatable file name\n", 2, BANNER + ALL_PROMPTS);
    expect_fatal(run_orvlink(dir.path(), {" ,lib,,-."}), "ERROR NO.5: Non relocatable file name\n",
                 2);
}

TEST(CommandErrors, SectionInformationOutOfRangeEndsWithStatus1) {
    TempDir dir;
    expect_fatal(run_orvlink(dir.path(), {"a,,p=10000,-M"}),
                 "ERROR NO.28: Section \"P\" information is out of range.\n", 1, BANNER);
    expect_fatal(run_orvlink(dir.path(), {"a,,DATA=20000,-BANK"}),
                 "ERROR NO.28: Section \"DATA\" information is out of range.\n", 1, BANNER);
}

TEST(CommandFileRules, TheFileSuppliesTheFieldsAndTheRestIsPrompted) {
    TempDir dir;
    dir.write("all.txt", "a,\r\nlib,\r\nP=C000,\r\n-. -Q,\r\n\r\n");
    expect_fatal(run_orvlink(dir.path(), {"@ALL.TXT"}),
                 "ERROR NO.4: Invalid parameter input \"-Q\"\n", 2);

    dir.write("two.txt", "a,lib");
    expect_fatal(run_orvlink(dir.path(), {"@two.txt"}, "P=C000 x=\n-M\n"),
                 "ERROR NO.3: Invalid section information\n", 2,
                 BANNER + "Section information      >> Command parameter        >> ");
}

TEST(CommandFileRules, OnlyASingleArgumentNamesACommandFile) {
    TempDir dir;
    dir.write("cmd.txt", "a,,,-Y");
    expect_fatal(run_orvlink(dir.path(), {"@cmd.txt", ",,,-Z"}),
                 "ERROR NO.4: Invalid parameter input \"-Z\"\n", 2);
}

}  // namespace
}  // namespace orv::test
