#include <gtest/gtest.h>

#include <string>

#include "pass1_harness.h"

namespace orv::test {
namespace {

Bytes header_then(const ByteWriter& rest) {
    Bytes all = ObjectWriter().header().bytes();
    all.insert(all.end(), rest.bytes().begin(), rest.bytes().end());
    return all;
}

const std::string PROCESSING_BAD = "processing \"BAD.ROV\"\n";

// Each broken relocatable file ends the run with its internal-error point.
TEST(Pass1EndToEnd, MalformedObjectsEndWithTheirPoint) {
    const struct {
        const char* point;
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"1.5", "first byte not F0", ByteWriter().n1(0xF1).str("VER.A").bytes()},
        {"1.5", "empty file", {}},
        {"2", "version tag missing", ByteWriter().n1(0xF0).str("VER.A").n1(0xF2).bytes()},
        {"3", "file-name tag missing", ByteWriter().n1(0xF0).str("VER.A").n1(0xF1).str("1").n1(0xF0).bytes()},
        {"4", "source tag missing",
         ByteWriter().n1(0xF0).str("VER.A").n1(0xF1).str("1").n1(0xF2).n1(0xF1).bytes()},
        {"5", "requested-file tag missing",
         ByteWriter().n1(0xF0).str("VER.A").n1(0xF1).str("1").n1(0xF2).n1(0xF0).str("s").n1(0xF2).bytes()},
        {"6", "requested-library tag missing",
         ByteWriter().n1(0xF0).str("VER.A").n1(0xF1).str("1").n1(0xF2).n1(0xF0).str("s").n1(0xF1).str("")
             .n1(0xF1).bytes()},
        {"1", "end of file after the header", ObjectWriter().header().bytes()},
        {"1", "unknown record tag", header_then(ByteWriter().n1(0xF2))},
        {"1", "library tag in an object file", header_then(ByteWriter().n1(0xFB))},
        {"7", "unit numbers skip one", object([](ObjectWriter& w) { w.unit_entry(0, {"P"}).unit_entry(2, {"Q"}); })},
        {"7", "a run that does not start at 0", object([](ObjectWriter& w) { w.unit_entry(1, {"P"}); })},
        {"7.5", "mask with two bits", object([](ObjectWriter& w) { w.bit_symbols({{0x03, 0x20, "b"}}); })},
        {"7.5", "mask above bit 7", object([](ObjectWriter& w) { w.bit_symbols({{0x100, 0x20, "b"}}); })},
        {"7.5", "mask 0 with a name", object([](ObjectWriter& w) { w.bit_symbols({{0, 0, "b"}}); })},
        {"9", "end of file inside a unit entry", header_then(ByteWriter().n1(0xF3).n2(0).str("P").n1(0).n1(0).n2(0))},
        {"9", "end of file inside a label value", header_then(ByteWriter().n1(0xF4).n2(0).n2(1))},
        {"10", "end of file inside a name", header_then(ByteWriter().n1(0xF6).raw({'a', 'b'}))},
        {"10", "end of file after 510 characters", header_then(ByteWriter().n1(0xF6).raw(Bytes(510, 'x')))},
        // 511 characters are a whole name once the zero byte comes.
        {"11", "end of file after 511 characters", header_then(ByteWriter().n1(0xF6).raw(Bytes(511, 'x')))},
        {"11", "end of file in the tail of a long name", header_then(ByteWriter().n1(0xF6).raw(Bytes(600, 'x')))},
        {"7.1", "label in a unit the module does not have",
         object([](ObjectWriter& w) { w.units({{"P"}, {"Q"}}).labels(2, {{0x10, "beyond"}}); })},
        {"7.1", "label in a module without units",
         object([](ObjectWriter& w) { w.labels(0, {{0, "nowhere"}}).symbols({{1, "fine"}}); })},
    };
    for (const auto& c : cases) {
        expect_run({c.what, {{"bad.rov", c.bytes}}, "bad,,,-.", PROCESSING_BAD + internal_error_line(c.point), 4});
    }
    // The units of an earlier module are not the module's own.
    Bytes three_units = object([](ObjectWriter& w) { w.units({{"P"}, {"Q"}, {"R"}}); });
    Bytes label_in_q = object([](ObjectWriter& w) { w.units({{"P"}}).labels(1, {{4, "in_q"}}); });
    expect_run({"earlier module's unit", {{"a.rov", three_units}, {"bad.rov", label_in_q}}, "a bad,,,-.",
                "processing \"A.ROV\"\n" + PROCESSING_BAD + internal_error_line("7.1"), 4});
}

TEST(Pass1EndToEnd, FatalErrorsOfTheReaders) {
    const std::string mismatch = PROCESSING_BAD + "ERROR NO.7: BAD.ROV relocatable format is mismatch\n";
    const std::string extend = PROCESSING_BAD + "ERROR NO.30: Extend area requires command option \"-BANK\".\n";
    const auto nothing = [](ObjectWriter&) {};
    const std::string name508(508, 'n');
    const ExpectedRun cases[] = {
        {"format VER.B", {{"bad.rov", object(nothing, "1", {}, {}, "VER.B")}}, "bad,,,-.", mismatch, 1},
        {"format VER.", {{"bad.rov", object(nothing, "1", {}, {}, "VER.")}}, "bad,,,-.", mismatch, 1},
        {"format ver.a", {{"bad.rov", object(nothing, "1", {}, {}, "ver.a")}}, "bad,,,-.", mismatch, 1},
        {"absolute unit at 10000",
         {{"bad.rov", object([](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 1}, {"E", 0, 1, 0x10000, 1}}); })}},
         "bad,,,-.", extend, 1},
        {"relocatable unit's address field",
         {{"bad.rov", object([](ObjectWriter& w) { w.units({{"R", 0, 0, 0x12345, 1}}); })}}, "bad,,,-.", extend, 1},
        // Whole texts are compared, and requested files are compared too.
        {"version differs",
         {{"a.rov", object(nothing, "1.00", {"B"})}, {"b.rov", object(nothing, "1.000")}}, "a,,,-. -V",
         "processing \"A.ROV\"\nprocessing \"B.ROV\"\nERROR NO.8: Program version is different\n", 1},
        {"missing listed file", {{"a.rov", defining("a")}}, "a gone,,,-.",
         "processing \"A.ROV\"\nERROR NO.0: GONE.ROV File not found\n", 2},
        {"missing requested file", {{"a.rov", object(nothing, "1", {"NOPE"})}}, "a,,,-.",
         "processing \"A.ROV\"\nERROR NO.0: NOPE.ROV File not found\n", 2},
        {"requested file name of 508", {{"a.rov", object(nothing, "1", {name508})}}, "a,,,-.",
         "processing \"A.ROV\"\nERROR NO.0: " + name508 + " File not found\n", 2},
        {"requested library name of 508", {{"a.rov", object(nothing, "1", {}, {name508})}}, "a,,,-.",
         "processing \"A.ROV\"\nERROR NO.0: " + name508 + " File not found\n", 2},
    };
    for (const ExpectedRun& c : cases) expect_run(c);
}

// Reported in byte order (upper case first), each unresolved name with its
// first referrer, each multiple one with its first two definers; no bell.
// Listed libraries are not opened when only multiple definitions are left.
TEST(Pass1EndToEnd, SymbolReportEndsWithStatusOneAndNoBell) {
    const ExpectedRun cases[] = {
        {"unresolved and multiple",
         {{"a.rov", defining("Dup", {"zeta"})}, {"b.rov", defining("Dup", {"alpha"})},
          {"c.rov", defining("Dup", {"Alpha", "alpha"})}},
         "a b c,,,-.",
         "processing \"A.ROV\"\nprocessing \"B.ROV\"\nprocessing \"C.ROV\"\n"
         "ERROR NO.9: Unresolved label \"Alpha\" in C.ROV\n"
         "ERROR NO.10: \"Dup\" is multiple defined in A.ROV. others in B.ROV\n"
         "ERROR NO.9: Unresolved label \"alpha\" in B.ROV\n"
         "ERROR NO.9: Unresolved label \"zeta\" in A.ROV\n",
         1, ""},
        {"multiple only", {{"a.rov", defining("x")}, {"b.rov", defining("x")}}, "a b,missing,,-.",
         "processing \"A.ROV\"\nprocessing \"B.ROV\"\nERROR NO.10: \"x\" is multiple defined in A.ROV. others in B.ROV\n",
         1, ""},
    };
    for (const ExpectedRun& c : cases) expect_run(c);
}

bool starts_with(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The pass heading goes to standard error and -. drops it; the processing
// lines always go to standard output.
TEST(Pass1EndToEnd, ProgressLines) {
    TempDir dir;
    dir.write("main.rov", defining("a", {"b"}));
    dir.write("sub.rov", defining("b", {"a"}));
    RunResult loud = run_orvlink(dir.path(), {"main", "sub,", ",", ",-N"});
    EXPECT_TRUE(starts_with(loud.out, "processing \"MAIN.ROV\"\nprocessing \"SUB.ROV\"\n")) << loud.out;
    EXPECT_NE(loud.err.find("now processing pass 1\n"), std::string::npos) << loud.err;
    RunResult quiet = run_orvlink(dir.path(), {"main", "sub,", ",", ",-."});
    EXPECT_TRUE(starts_with(quiet.out, "processing \"MAIN.ROV\"\nprocessing \"SUB.ROV\"\n")) << quiet.out;
    EXPECT_EQ(quiet.err.find("now processing pass 1"), std::string::npos) << quiet.err;
}

}  // namespace
}  // namespace orv::test
