#include <gtest/gtest.h>

#include <filesystem>

#include "orvobj/object_text.h"
#include "support/run_linker.h"
#include "tools/tool_objects.h"

// The orvobj binary as a person runs it, and the example's text form.
namespace orv::test {
namespace {

RunResult orvobj(const TempDir& dir, const std::vector<std::string>& args) { return run_program(ORVOBJ_PATH, dir.path(), args); }

std::string bytes_of(const orvfixture::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(OrvobjCommand, TextErrorsNameTheFileAndLine) {
    TempDir dir;
    dir.write("bad.txt", std::string("format \"VER.A\"\n"
                                     "# a comment\n"
                                     "unit 0 \"P\" rom relocatable address 0x10 size 4\n"
                                     "relocation unit 0\n"
                                     "    0x0001 address size 2 = lead unit 0 0 ; name \"x\" ? const 1\n"));
    RunResult result = orvobj(dir, {"build", "bad.txt", "-o", "BAD.ROV"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "bad.txt:5: unknown operator '?'\n");
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(dir.exists("BAD.ROV")) << "nothing is written from a text with an error";
}

TEST(OrvobjCommand, BuildThenDumpThroughTheBinary) {
    TempDir dir;
    dir.write("putc.rov", bytes_of(putc_module()));
    RunResult dumped = orvobj(dir, {"dump", "putc.rov"});
    EXPECT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_EQ(dumped.out, orvobj::dump_object(putc_module()));
    dir.write("putc.txt", dumped.out);

    RunResult built = orvobj(dir, {"build", "putc.txt", "-o", "AGAIN.ROV"});
    EXPECT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(dir.read("AGAIN.ROV"), bytes_of(putc_module()));

    RunResult offsets = orvobj(dir, {"dump", "--offsets", "putc.rov"});
    EXPECT_EQ(offsets.status, 0);
    EXPECT_EQ(offsets.out, orvobj::dump_object(putc_module(), true));
    EXPECT_NE(offsets.out.find("version \"1.00\"  # offset 0x000007\n"), std::string::npos) << offsets.out;
}

TEST(OrvobjCommand, UnreadableInputsUnwritableOutputsAndWrongUsage) {
    TempDir dir;
    RunResult missing = orvobj(dir, {"dump", "none.rov"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "orvobj: cannot read none.rov\n");
    missing = orvobj(dir, {"build", "none.txt", "-o", "X.ROV"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "orvobj: cannot read none.txt\n");

    std::filesystem::create_directory(dir / "folder.rov");
    RunResult directory = orvobj(dir, {"dump", "folder.rov"});
    EXPECT_EQ(directory.status, 1) << "a directory opens but cannot be read";
    EXPECT_EQ(directory.err, "orvobj: cannot read folder.rov\n");
    EXPECT_EQ(directory.out, "");

    dir.write("end.txt", std::string("end\n"));
    RunResult unwritable = orvobj(dir, {"build", "end.txt", "-o", "none/X.ROV"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "orvobj: cannot write none/X.ROV\n");

    RunResult help = orvobj(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: orvobj dump [--offsets] FILE.ROV", 0), 0u) << help.out;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"dump"}, {"dump", "--offsetz", "a.rov"}, {"build", "a.txt"}, {"build", "a.txt", "-x", "b"}}) {
        RunResult wrong = orvobj(dir, args);
        EXPECT_EQ(wrong.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(wrong.err, help.out) << testing::PrintToString(args);
    }
}

// Numbers are decimal, or hexadecimal after 0x, and never signed; a name
// cannot hold the byte that ends it.
TEST(OrvobjText, NumbersBytesAndEscapesTakeNoOtherForm) {
    auto error_of = [](const std::string& text) {
        try {
            orvobj::build_object(text);
        } catch (const orvobj::TextError& error) {
            return std::to_string(error.line()) + ": " + error.what();
        }
        return std::string("no error");
    };
    EXPECT_EQ(orvobj::build_object("symbols\n    010 \"ten\"\n    0x10 \"sixteen\"\n"),
              orvobj::build_object("symbols\n    10 \"ten\"\n    16 \"sixteen\"\n"))
        << "a leading zero does not make a number octal";
    EXPECT_EQ(error_of("symbols\n    08 \"eight\"\n"), "no error");
    EXPECT_EQ(error_of("unit 0 \"P\" rom relocatable address +5 size 1\n"), "1: expected address");
    EXPECT_EQ(error_of("unit 0 \"P\" rom relocatable address 0 size -1\n"), "1: expected size");
    EXPECT_EQ(error_of("symbols\n    0x \"x\"\n"), "2: expected value");
    EXPECT_EQ(error_of("symbols\n    0x1G \"x\"\n"), "2: expected value");
    EXPECT_EQ(error_of("symbols\n    99999999999999999999 \"x\"\n"), "2: value out of range: 99999999999999999999");
    EXPECT_EQ(error_of("contents unit 0\n    block 0\n        data 01 -1\n"),
              "3: expected a byte of two hexadecimal digits, not '-1'");
    EXPECT_EQ(error_of("contents unit 0\n    block 0\n        data +2\n"),
              "3: expected a byte of two hexadecimal digits, not '+2'");
    EXPECT_EQ(error_of("language \"C\\x00\"\n"), "1: a name cannot hold the byte 0");
    EXPECT_EQ(error_of("language \"\\x-1\"\n"), "1: bad escape in name");
    EXPECT_EQ(orvobj::build_object("language \"\\x41\\xfF\"\n"), (orvfixture::Bytes{0xE5, 0x41, 0xFF, 0x00}));
}

// The example's modules, as orvobj builds them for the demo, come back from
// their dump unchanged like every other object.
TEST(OrvobjCommand, TheExampleTextsBuildAndSurviveADump) {
    std::size_t modules = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ORV_EXAMPLE_DIR)) {
        if (entry.path().extension() != ".txt" || entry.path().filename() == "CMakeLists.txt") continue;
        ++modules;
        orvfixture::Bytes object = orvobj::build_object(read_file(entry.path()));
        EXPECT_EQ(orvobj::build_object(orvobj::dump_object(object)), object) << entry.path();
    }
    EXPECT_EQ(modules, 8u) << "start-up, main and six library modules";
}

}  // namespace
}  // namespace orv::test
