#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "support/host_skips.h"
#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "support/putc_program.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using namespace orvfixture;

// main.rov calls putc, which the library RT#$.LIB in "lib dir" defines; the
// link is given by the command file prog.lnk.
void write_program(const TempDir& dir) {
    write_main_calling_putc(dir, "lib dir/RT#$.LIB");
    dir.write("prog.lnk", "main,RT#$,,-M -.");
}

// The host path that the linker's name of an input in `dir` opens: on POSIX
// the file's own letter case and slashes; Windows takes the name as it is.
std::string opened_as(const std::string& posix, const std::string& windows) {
    return HOST_IS_WINDOWS ? windows : posix;
}
const std::string MAIN_ROV = opened_as("main.rov", "MAIN.ROV");
const std::string UTIL_ROV = opened_as("util.rov", "util.ROV");
const std::string RT_LIB = opened_as("lib\\ dir/RT\\#$$.LIB", "lib\\ dir\\RT\\#$$.LIB");

// Targets are the files the run writes; prerequisites every input it opened,
// under the host path it was opened by (the library through LIBOV), each
// with an empty rule of its own.
TEST(DependencyFile, NamesEveryOutputAndEveryInputOpened) {
    TempDir dir;
    write_program(dir);
    ObjectWriter requesting;  // main.rov again, now requesting the file util
    requesting.header("main.src", "1.00", {"util"}).units({{"P", 0, 0, 0, 2}}).externals({"putc"}).end();
    dir.write("main.rov", requesting.bytes());
    ObjectWriter util;
    util.header("util.src").end();
    dir.write("util.rov", util.bytes());
    RunResult run = run_orvlink(dir.path(), {"@prog.lnk", "--dependency-file=out.d"}, "",
                                {{"LIBOV", "lib dir"}});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(dir.read("out.d"),
              "MAIN.HEX MAIN.MAP: \\\n"
              "  prog.lnk \\\n"
              "  " + MAIN_ROV + " \\\n"
              "  " + UTIL_ROV + " \\\n"
              "  " + RT_LIB + "\n"
              "\n"
              "prog.lnk:\n"
              "\n" +
                  MAIN_ROV + ":\n"
              "\n" +
                  UTIL_ROV + ":\n"
              "\n" +
                  RT_LIB + ":\n");
}

// The file exists once the library search is over, also when placement then
// fails; a file that cannot be written is error 31 before any output exists.
TEST(DependencyFile, WrittenBeforePlacementAndRefusedWhenUnwritable) {
    TempDir dir;
    write_program(dir);
    const std::map<std::string, std::string> libov{{"LIBOV", "lib dir"}};
    RunResult run = run_orvlink(dir.path(), {"main,RT#$,NOWHERE,-.", "--dependency-file=out.d"}, "", libov);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(dir.read("out.d"), "MAIN.HEX: \\\n  " + MAIN_ROV + " \\\n  " + RT_LIB + "\n\n" + MAIN_ROV + ":\n\n" + RT_LIB + ":\n");

    for (const char* target : {"missing/out.d", "lib dir"}) {
        SCOPED_TRACE(target);
        TempDir clean;
        write_program(clean);
        RunResult refused =
            run_orvlink(clean.path(), {"main,RT#$,,-.", "--dependency-file=" + std::string(target)}, "", libov);
        EXPECT_EQ(refused.status, 2);
        EXPECT_EQ(refused.out, "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n"
                               "ERROR NO.31: Can't write dependency file " + std::string(target) + "\n");
        EXPECT_FALSE(clean.exists("MAIN.HEX"));
    }
}

// make itself reads the rule: a library found through LIBOV that changes
// makes the program link again, and one that moves out of LIBOV's directory
// stops nothing: its empty rule stands in for it, and the new rule names the
// library where it was found.
TEST(DependencyFile, MakeRelinksWhenALibraryChanges) {
    SKIP_ON_WINDOWS("needs make and touch");
    TempDir dir;
    write_program(dir);
    dir.write("Makefile",
              "export LIBOV = lib dir\n"
              "MAIN.HEX: main.rov\n"
              "\t" ORVLINK_PATH " --batch --dependency-file=MAIN.d --delete-on-error main,RT#$$,,-.\n"
              "-include MAIN.d\n");
    auto make = [&] { return run_program("make", dir.path(), {"--no-print-directory"}); };
    auto linked = [](const RunResult& run) { return run.out.find("--batch") != std::string::npos; };
    RunResult first = make();
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_TRUE(linked(first));
    EXPECT_FALSE(linked(make()));

    // The first link is made to lie ten seconds back, so that touching the
    // library makes it newer on any file system's clock.
    for (const char* file : {"MAIN.HEX", "MAIN.d", "main.rov", "lib dir/RT#$.LIB"}) {
        std::filesystem::last_write_time(dir / file, std::filesystem::last_write_time(dir / file) - std::chrono::seconds(10));
    }
    ASSERT_EQ(run_program("touch", dir.path(), {"lib dir/RT#$.LIB"}).status, 0);
    RunResult relink = make();
    EXPECT_EQ(relink.status, 0) << relink.err;
    EXPECT_TRUE(linked(relink)) << relink.out;
    EXPECT_FALSE(linked(make()));

    std::filesystem::rename(dir / "lib dir/RT#$.LIB", dir / "RT#$.LIB");
    RunResult moved = make();
    EXPECT_EQ(moved.status, 0) << moved.err;
    EXPECT_TRUE(linked(moved)) << moved.out;
    EXPECT_NE(dir.read("MAIN.d").find("\n  RT\\#$$.LIB\n"), std::string::npos);
    EXPECT_FALSE(linked(make()));
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

using namespace orvfixture;

// One module without names, written as `file`.
void write_empty_module(const TempDir& dir, const std::string& file) {
    ObjectWriter module;
    module.header("m.src").units({{"P", 0, 0, 0, 1}}).end();
    dir.write(file, module.bytes());
}

// make reads the rule as written: for an input and an output name holding
// each character that make gives a meaning, the program is up to date after
// the link, out of date once the input is newer, and still buildable once the
// input is gone (its empty rule stands in for it). The input is requested by
// the main module, so that its name may hold anything.
TEST(DependencyFile, MakeReadsEveryNameItCanExpress) {
    SKIP_ON_WINDOWS("needs make and a POSIX shell");
    for (const std::string special : {" ", "#", "$", ":", "%", "=", "*", "?", "[x]", "~", "\\#"}) {
        SCOPED_TRACE(special);
        TempDir dir;
        const bool output_only = special == "\\#";
        const std::string input = special == "~" ? "~in" : "in" + (output_only ? "" : special) + "put";
        const std::string output = "out" + (special == " " ? "" : special) + "put.hex";
        ObjectWriter requesting;
        requesting.header("main.src", "1.00", {input}).units({{"P", 0, 0, 0, 2}}).end();
        dir.write("main.rov", requesting.bytes());
        write_empty_module(dir, input + ".rov");
        write_empty_module(dir, "inxput.rov");  // what a wildcard would also match
        RunResult link = run_orvlink(dir.path(), {"main,,,-.", "--dependency-file=prog.d", "--output=" + output});
        ASSERT_EQ(link.status, 0) << link.out;
        // A pattern rule gives the output a recipe.
        dir.write("Makefile", "-include prog.d\n%.hex:\n\ttouch $@\n");
        auto question = [&] { return run_program("make", dir.path(), {"-q", "--no-print-directory", output}); };
        RunResult up_to_date = question();
        EXPECT_EQ(up_to_date.status, 0) << dir.read("prog.d") << up_to_date.err;
        std::filesystem::last_write_time(dir / output, std::filesystem::last_write_time(dir / (input + ".rov")) -
                                                           std::chrono::seconds(10));
        EXPECT_EQ(question().status, 1) << dir.read("prog.d");
        std::filesystem::remove(dir / (input + ".rov"));
        RunResult removed = question();
        EXPECT_EQ(removed.status, 1) << dir.read("prog.d") << removed.err;
        EXPECT_EQ(removed.err, "");
    }
}

// A name make cannot read is refused before anything is written: error 31,
// and with --explain the input and the reason. The request-files record of a
// module names a file with a line feed and a tab, which exists in another
// letter case: the rule would have carried a recipe line.
TEST(DependencyFile, RefusesNamesMakeCannotRead) {
    SKIP_ON_WINDOWS("needs make and a POSIX shell");
    TempDir dir;
    const std::string forged = "\n\tTOUCH\tPWNED;TRUE\t";
    ObjectWriter requesting;
    requesting.header("main.src", "1.00", {forged}).units({{"P", 0, 0, 0, 2}}).end();
    dir.write("main.rov", requesting.bytes());
    write_empty_module(dir, "\n\ttouch\tpwned;true\t.rov");
    RunResult run = run_orvlink(dir.path(), {"main,,,-.", "--dependency-file=out.d", "--explain"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\nprocessing \"\\x0A\\x09TOUCH\\x09PWNED;TRUE\\x09.ROV\"\n"
                       "ERROR NO.31: Can't write dependency file out.d\n"
                       "             input \"\\x0A\\x09touch\\x09pwned;true\\x09.rov\" holds a line feed, "
                       "which make cannot read in a rule\n");
    EXPECT_FALSE(dir.exists("out.d"));
    EXPECT_FALSE(dir.exists("MAIN.HEX"));

    const std::vector<std::pair<std::string, std::string>> refused{
        {"semi;colon", "holds a \";\""}, {"bell\a", "holds a control character"}};
    for (const auto& [name, reason] : refused) {
        SCOPED_TRACE(name);
        TempDir clean;
        write_empty_module(clean, name + ".rov");
        ObjectWriter requesting_name;
        requesting_name.header("main.src", "1.00", {name}).units({{"P", 0, 0, 0, 2}}).end();
        clean.write("main.rov", requesting_name.bytes());
        RunResult named = run_orvlink(clean.path(), {"main,,,-.", "--explain", "--dependency-file=out.d"});
        EXPECT_EQ(named.status, 2);
        const std::size_t error = named.out.find("ERROR NO.31: Can't write dependency file out.d\n");
        ASSERT_NE(error, std::string::npos) << named.out;
        EXPECT_NE(named.out.find("\" " + reason + ", which make cannot read in a rule\n", error), std::string::npos)
            << named.out;
        EXPECT_FALSE(clean.exists("out.d"));
    }
    // An output name is checked as the inputs are.
    write_empty_module(dir, "plain.rov");
    for (const char* output : {"a;b.hex", "prog.a(1)"}) {
        RunResult named_output =
            run_orvlink(dir.path(), {"plain,,,-.", "--dependency-file=out.d", "--output=" + std::string(output)});
        EXPECT_EQ(named_output.status, 2);
        EXPECT_EQ(named_output.out, "processing \"PLAIN.ROV\"\nERROR NO.31: Can't write dependency file out.d\n");
    }
    RunResult archive = run_orvlink(dir.path(), {"plain,,,-.", "--dependency-file=out.d", "--output=prog.a(1)", "--explain"});
    EXPECT_NE(archive.out.find("             output \"prog.a(1)\" has the form LIB(MEMBER) of an archive member, "
                               "which make cannot read in a rule\n"), std::string::npos) << archive.out;
    EXPECT_FALSE(dir.exists("out.d"));
}

}  // namespace
}  // namespace orv::test
