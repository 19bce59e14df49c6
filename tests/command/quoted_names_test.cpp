#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "command/command_harness.h"
#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "support/host_skips.h"

namespace orv::test {
namespace {

using namespace orvfixture;

// The names command input took, in one line: relocatable files | libraries |
// -O directory, -F name and --output, each where given.
std::string names(const LinkContext& ctx) {
    std::string text;
    for (const char* name : ctx.command.rel_file_names) text += std::string(name) + ";";
    text += " | ";
    for (const char* name : ctx.command.lib_file_names) text += std::string(name) + ";";
    text += " | ";
    const Options& o = ctx.options;
    if (o.out_dir != nullptr) text += std::string("dir=") + o.out_dir + ";";
    if (o.out_name != nullptr) text += std::string("name=") + o.out_name + ";";
    if (o.output_file != nullptr) text += std::string("output=") + o.output_file + ";";
    return text;
}

// A double-quoted name is one name however the command reaches the linker:
// blanks and commas inside the quotes are part of it, the quotes are not,
// and words without a quote split at blanks as before.
TEST(QuotedNames, AreOneNameInEveryFieldAndEverySource) {
    const struct {
        std::vector<std::string> args;
        std::string input;  // prompt answers
        std::string names;
    } cases[] = {
        {{"\"my objs/startup\" main,\"rt lib\",,-."}, "", "MY OBJS/STARTUP.ROV;MAIN.ROV; | RT LIB.LIB; | dir=MY OBJS/;name=STARTUP;"},
        // Arguments are joined by blanks, so a quote may span them.
        {{"\"my", "objs/a\",,,-."}, "", "MY OBJS/A.ROV; |  | dir=MY OBJS/;name=A;"},
        {{"my\" \"objs\\a,\"x,y\",,-."}, "", "MY OBJS\\A.ROV; | X,Y.LIB; | dir=MY OBJS\\;name=A;"},
        {{"a,,,-O\"out dir\" -F\"first name\" -."}, "", "A.ROV; |  | dir=out dir\\;name=first name;"},
        {{"a,,,\"--output=out dir/p.hex\" -."}, "", "A.ROV; |  | name=A;output=out dir/p.hex;"},
        {{"--output=\"out dir/p.hex\"", "a,,,-."}, "", "A.ROV; |  | name=A;output=out dir/p.hex;"},
        {{}, "\"c:\\Users\\Ana Lima\\main\" b\n\"rt lib\"\n\n-.\n",
         "C:\\USERS\\ANA LIMA\\MAIN.ROV;B.ROV; | RT LIB.LIB; | dir=C:\\USERS\\ANA LIMA\\;name=MAIN;"},
        // An empty pair of quotes is an empty name, which gets the extension.
        {{"\"\" a,,,-."}, "", ".ROV;A.ROV; |  | name=;"},
        // No quote: the blanks of one argument still separate names.
        {{"my objs/startup,,,-."}, "", "MY.ROV;OBJS/STARTUP.ROV; |  | name=MY;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? c.input : c.args.front());
        CommandHarness run(c.input);
        ASSERT_FALSE(run.get_command(c.args));
        EXPECT_EQ(names(run.ctx), c.names);
    }
}

TEST(QuotedNames, ACommandFileMayQuoteNamesAcrossCommasAndLines) {
    TempDir dir;
    dir.write("prog.lnk", "\"my objs/main\",\r\n\"lib,one\r\ndir/rt\",\n,\n-O\"out dir/\" -.\n");
    CommandHarness run("");
    std::optional<LinkError> error = run.get_command({"@" + (dir / "prog.lnk").string()});
    ASSERT_FALSE(error) << error->number() << " " << run.err();
    EXPECT_EQ(names(run.ctx), "MY OBJS/MAIN.ROV; | LIB,ONE DIR/RT.LIB; | dir=out dir/;name=MAIN;");
}

// A quote left open is error 1; --explain says in which field it opened. An
// open quote takes in the commas after it, so --batch stands for the fields
// it leaves out.
TEST(QuotedNames, AQuoteLeftOpenIsInvalidCommandInput) {
    TempDir dir;
    dir.write("open.lnk", "a,\n\"lib dir/rt,\n,-.\n");
    const std::string e1 = "ERROR NO.1: Invalid command input\n";
    const struct {
        std::vector<std::string> args;
        std::string explained;
    } cases[] = {
        {{"\"my objs/a b,,,-."}, "the quote opened at \"my objs/a b,,,-. in the relocatable files is not closed"},
        {{"a,\"rt lib,,-."}, "the quote opened at \"rt lib,,-. in the libraries is not closed"},
        {{"@open.lnk"}, "the quote opened at \"lib dir/rt, ,-.  in the libraries is not closed"},
        {{"a,,,-. -O\"out"}, "the quote opened at \"out in the command parameters is not closed"},
        {{"--output=\"x y.hex", "a,,,-."}, "the quote opened at \"x y.hex in the value of --output is not closed"},
        {{"a,,,-. -F" + std::string(50, 'f') + "\"" + std::string(50, 'g')},
         "the quote opened at \"" + std::string(39, 'g') + "... in the command parameters is not closed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--batch");
        RunResult plain = run_orvlink(dir.path(), args);
        EXPECT_EQ(plain.out, e1);
        EXPECT_TRUE(plain.err.ends_with("\a")) << plain.err;
        EXPECT_EQ(plain.status, 2);
        std::vector<std::string> explained_args = args;
        explained_args.insert(explained_args.begin(), "--explain");
        RunResult explained = run_orvlink(dir.path(), explained_args);
        EXPECT_EQ(explained.out, e1 + "             " + c.explained + "\n");
        EXPECT_EQ(explained.status, 2);
    }
}

// main.rov calls putc, which the library in "rt lib" defines.
void write_program(const TempDir& dir, const std::string& objects, const std::string& library) {
    ObjectWriter main_module;
    main_module.header("main.src").units({{"P", 0, 0, 0, 2}}).externals({"putc"}).end();
    dir.write(objects + "/main.rov", main_module.bytes());
    ObjectWriter putc_module;
    putc_module.header("putc.src").units({{"P", 0, 0, 0, 1}}).labels(0, {{0, "putc"}}).end();
    LibraryWriter rtl;
    rtl.add("PUTC", putc_module.bytes());
    dir.write(library, rtl.bytes());
}

// A link in a folder with blanks in its path, from the command line and
// from a command file.
TEST(QuotedNames, ALinkInAFolderWithBlanksWorksFromTheCommandAndACommandFile) {
    TempDir dir;
    const std::string project = "Ana Lima/thermo";
    write_program(dir, project + "/my objs", project + "/rt lib/RT.LIB");
    const std::filesystem::path work = dir / project;
    std::filesystem::create_directories(work / "out dir");
    std::filesystem::create_directories(work / "file dir");
    const std::string command = "\"my objs/main\",\"rt lib/rt\",,-M -.";

    RunResult from_line = run_orvlink(work, {"--batch", command, "-O\"out dir\""});
    ASSERT_EQ(from_line.status, 0) << from_line.out;
    EXPECT_EQ(from_line.out, "processing \"MY OBJS/MAIN.ROV\"\nprocessing \"Libraries\"\nprocessing \"RT LIB/RT.LIB ( PUTC )\"\n"
                             "TOTAL ROM SIZE 3 (3H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n");
    const std::string hex = read_file(work / "out dir/MAIN.HEX");
    EXPECT_NE(hex.find(":00000001FF"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(work / "out dir/MAIN.MAP"));

    dir.write(project + "/prog.lnk", command + " -O\"file dir\"\n");
    RunResult from_file = run_orvlink(work, {"@prog.lnk"});
    ASSERT_EQ(from_file.status, 0) << from_file.out;
    EXPECT_EQ(read_file(work / "file dir/MAIN.HEX"), hex);
}

// make reads the dependency file's escaped names in such a folder: a change
// of the library relinks.
TEST(QuotedNames, MakeRelinksInAFolderWithBlanks) {
    SKIP_ON_WINDOWS("needs make and a POSIX shell");
    TempDir dir;
    const std::string project = "Ana Lima/thermo";
    write_program(dir, project + "/my objs", project + "/rt lib/RT.LIB");
    const std::filesystem::path work = dir / project;
    std::filesystem::create_directories(work / "out dir");
    dir.write(project + "/Makefile",
              "out\\ dir/MAIN.HEX: my\\ objs/main.rov\n"
              "\t" ORVLINK_PATH " --batch --delete-on-error \"--dependency-file=out dir/MAIN.d\""
              " '\"my objs/main\",\"rt lib/rt\",,-.' '-O\"out dir\"'\n"
              "-include out\\ dir/MAIN.d\n");
    auto make = [&] { return run_program("make", work, {"--no-print-directory"}); };
    auto linked = [](const RunResult& run) { return run.out.find("--batch") != std::string::npos; };
    RunResult first = make();
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_TRUE(linked(first));
    const std::string rule = read_file(work / "out dir/MAIN.d");
    EXPECT_NE(rule.find("rt\\ lib/RT.LIB"), std::string::npos) << rule;
    EXPECT_FALSE(linked(make()));
    // The link is made to lie ten seconds back, so that the library's new
    // time is later on any file system's clock.
    for (const char* file : {"out dir/MAIN.HEX", "out dir/MAIN.d", "my objs/main.rov"}) {
        std::filesystem::last_write_time(work / file,
                                         std::filesystem::last_write_time(work / file) - std::chrono::seconds(10));
    }
    std::filesystem::last_write_time(work / "rt lib/RT.LIB", std::filesystem::file_time_type::clock::now());
    RunResult relink = make();
    EXPECT_EQ(relink.status, 0) << relink.err;
    EXPECT_TRUE(linked(relink)) << relink.out;
    EXPECT_FALSE(linked(make()));
}

}  // namespace
}  // namespace orv::test
