#include <gtest/gtest.h>

#include <string>

#include "fixture/object_writer.h"
#include "support/run_linker.h"

// The link report's functions when a module's debug records are faulty: a
// link that writes no symbol file goes on and the report says why a
// module's functions are missing; with -S a damaged record stops the link.
namespace orv::test {
namespace {

using orvfixture::ObjectWriter;

ObjectWriter module_with_code(const char* source, orvfixture::UnitSpec unit) {
    ObjectWriter module;
    const uint32_t at = unit.abs ? unit.address : 0;
    module.header(source).units({unit}).contents(0, {{at, {0x01, 0x02, 0x03, 0x04}}});
    return module;
}

void write_program(const TempDir& dir) {
    ObjectWriter main_module = module_with_code("main.src", {"P", 0, 0, 0, 4});
    main_module.function(1, "main", 0, 0, 3).source_lines(1, {{"main.c", {{10, 0}, {11, 2}}}}).end();
    dir.write("MAIN.ROV", main_module.bytes());
    // An unknown record tag after a complete function record.
    ObjectWriter damaged = module_with_code("bad.src", {"P", 0, 0, 0, 4});
    damaged.function(1, "lost", 0, 0, 3).tag(0x7B).end();
    dir.write("BAD.ROV", damaged.bytes());
    // Source lines before their function; the function's bounds are addresses.
    ObjectWriter absolute = module_with_code("vec.src", {"VEC", 0, 1, 0xE000, 4});
    absolute.source_lines(1, {{"vec.c", {{7, 0xE002}, {6, 0xE000}}}}).function(1, "handler", 0, 0xE000, 0xE003).end();
    dir.write("VEC.ROV", absolute.bytes());
    // A function in a unit the module does not have.
    ObjectWriter stray = module_with_code("stray.src", {"P", 0, 0, 0, 4});
    stray.function(1, "stray", 3, 0, 3).end();
    dir.write("STRAY.ROV", stray.bytes());
}

std::string jq(const TempDir& dir, const std::string& filter) {
    RunResult run = run_program("jq", dir.path(), {"-c", filter, "R.JSON"});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

TEST(DebugFaults, WithoutSymbolFileTheLinkGoesOnAndTheReportSaysWhy) {
    TempDir dir;
    write_program(dir);
    RunResult link = run_orvlink(dir.path(), {"MAIN BAD VEC STRAY,,P=C000,-.", "--link-report=R.JSON"});
    ASSERT_EQ(link.status, 0) << link.out;
    EXPECT_EQ(link.out.find("ERROR"), std::string::npos) << link.out;
    EXPECT_EQ(jq(dir, ".functions[] | [.name, .file, .start, .size, .source_file, .line]"),
              "[\"main\",\"MAIN.ROV\",49152,4,\"main.c\",10]\n"
              "[\"handler\",\"VEC.ROV\",57344,4,\"vec.c\",6]\n");
    EXPECT_EQ(jq(dir, ".debug_faults[]"),
              "{\"file\":\"BAD.ROV\",\"library_module\":null,\"reason\":\"Internal error at POINT 35: offset "
              "0x00004B: expected a debug record tag, or the module's end tag FF\"}\n"
              "{\"file\":\"STRAY.ROV\",\"library_module\":null,\"reason\":\"function stray lies in unit 6, which "
              "is not the module's\"}\n");
}

TEST(DebugFaults, WithSymbolFileADamagedRecordStopsTheLinkAsBefore) {
    TempDir dir;
    write_program(dir);
    RunResult with_report = run_orvlink(dir.path(), {"MAIN BAD VEC,,P=C000,-. -S", "--link-report=R.JSON"});
    RunResult without = run_orvlink(dir.path(), {"MAIN BAD VEC,,P=C000,-. -S"});
    EXPECT_EQ(with_report.status, 4);
    EXPECT_EQ(with_report.out, without.out);
    EXPECT_NE(with_report.out.find("ERROR NO.6: Internal error at POINT 35"), std::string::npos) << with_report.out;
    EXPECT_FALSE(dir.exists("R.JSON"));

    // A fault the symbol file does not know leaves it as it was.
    RunResult stray = run_orvlink(dir.path(), {"MAIN STRAY VEC,,P=C000,-. -S", "--link-report=R.JSON"});
    ASSERT_EQ(stray.status, 0) << stray.out;
    const std::string sym = dir.read("MAIN.SYM");
    ASSERT_EQ(run_orvlink(dir.path(), {"MAIN STRAY VEC,,P=C000,-. -S"}).status, 0);
    EXPECT_EQ(dir.read("MAIN.SYM"), sym);
    EXPECT_EQ(jq(dir, "[.functions[].name], [.debug_faults[].file]"), "[\"main\",\"handler\"]\n[\"STRAY.ROV\"]\n");
}

}  // namespace
}  // namespace orv::test
