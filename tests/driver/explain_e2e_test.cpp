#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "library/library_support.h"

// --explain: what each kind of message gains, through the real binary.
namespace orv::test {
namespace {

using namespace orvfixture;

// Section P (0x90 bytes of code, the label again at 0x82) and Z (the RAM
// labels count and flags), with the given relocated fields in P.
Bytes module_with_fields(const std::vector<RelocSpec>& fields) {
    ObjectWriter w;
    w.header("main.asm").units({{"P", 0, 0, 0, 0x90}, {"Z", 1, 0, 0, 2}});
    w.labels({{0, {{0x82, "again"}}}, {1, {{0, "count"}, {1, "flags"}}}});
    if (!fields.empty()) w.relocation(0, fields);
    return w.contents(0, {{0, Bytes(0x90, 0)}}).end().bytes();
}

RelocSpec field(uint32_t offset, uint8_t type, uint8_t size, Term first) {
    return {offset, type, size, Expr(constant_term(0), std::move(first))};
}

const std::string MAIN_TWICE = "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\n";
const std::string TOTALS_90 = "TOTAL ROM SIZE 144 (90H) BYTES\nTOTAL RAM SIZE 2 (2H) BYTES\n";
const std::string INDENT = "             ";

// A link of MAIN.ROV alone whose only findings are the range errors of its
// fields: both passes run, the totals follow.
std::string range_link(const std::string& findings) { return MAIN_TWICE + findings + TOTALS_90; }

TEST(ExplainEndToEnd, EachMessageKindSaysWhatAndWhere) {
    Bytes bad_version = module_with_fields({});
    bad_version[7] = 0x33;  // the version record's tag
    Bytes two_bytes_sum = module_with_fields(
        {{1, REL_ADDRESS, 2, Expr(constant_term(0), name_term("again")).then('+', constant_term(0x10000))}});
    LibraryWriter util;
    util.add(test::library_module("XMOD", {.labels = {"x"}, .externals = {"y"}}));
    Bytes needs_x = object([](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 2}}).externals({"x"}); });

    const ExpectedRun cases[] = {
        {"17: value and address range",
         {{"main.rov", two_bytes_sum}},
         "main,,P=C000,-. --explain",
         range_link("ERROR NO.17: Expression value is out of range.\n" + INDENT +
                    "SECTION=P ADDRESS=C001 OFFSET=0001\n" + INDENT + "module MAIN.ROV, names: again=C082\n" +
                    INDENT + "value 1C082, allowed 0000 to FFFF\n"),
         1},
        {"19: target and distance of a relative jump",
         {{"main.rov", module_with_fields({field(1, REL_RELATIVE, 1, name_term("again"))})}},
         "main,,P=1000,-. --explain",
         range_link("ERROR NO.19: Relative jump is out of range.\n" + INDENT +
                    "SECTION=P ADDRESS=1001 OFFSET=0001\n" + INDENT + "module MAIN.ROV, names: again=1082\n" +
                    INDENT + "target 1082, distance 128 from 1002, allowed -128 to 127\n"),
         1},
        {"25: one cause for a run of zero-page findings, by name and by place",
         {{"main.rov", module_with_fields({field(1, REL_ZERO_PAGE, 1, name_term("count")),
                                          field(3, REL_ZERO_PAGE, 1, unit_term(1, 1))})}},
         "main,,P=C000 Z=0100,-. --explain",
         range_link("ERROR NO.25: Expression is out of ZERO page.\n" + INDENT +
                    "SECTION=P ADDRESS=C001 OFFSET=0001\n" + INDENT + "module MAIN.ROV, names: count=0100\n" +
                    INDENT + "value 0100, allowed 0000 to 00FF\n" +
                    "ERROR NO.25: Expression is out of ZERO page.\n" + INDENT +
                    "SECTION=P ADDRESS=C003 OFFSET=0003\n" + INDENT + "module MAIN.ROV, places: Z+0001=0101\n" +
                    INDENT + "value 0101, allowed 0000 to 00FF\n" + INDENT +
                    "the cause of the findings above: section Z lies at 0100 to 0101, outside the zero page "
                    "0000 to 00FF\n"),
         1},
        {"26: special page, with the section placed below it",
         {{"main.rov", module_with_fields({field(1, REL_SPECIAL_PAGE, 1, name_term("again"))})}},
         "main,,P=C000,-. --explain",
         range_link("ERROR NO.26: Expression is out of SPECIAL page.\n" + INDENT +
                    "SECTION=P ADDRESS=C001 OFFSET=0001\n" + INDENT + "module MAIN.ROV, names: again=C082\n" +
                    INDENT + "value C082, allowed FF00 to FFFF\n" + INDENT +
                    "the cause of the findings above: section P lies at C000 to C08F, outside the special page "
                    "FF00 to FFFF\n"),
         1},
        {"29: a bit number without names",
         {{"main.rov", module_with_fields({field(1, REL_BIT_VALUE, 1, constant_term(8))})}},
         "main,,P=C000,-. --explain",
         range_link("ERROR NO.29: Bit value is out of range.\n" + INDENT + "SECTION=P ADDRESS=C001 OFFSET=0001\n" +
                    INDENT + "module MAIN.ROV, no names\n" + INDENT + "bit number 8, allowed 0 to 7\n"),
         1},
        {"22: the section, its end and the overshoot",
         {{"main.rov", module_with_fields({})}},
         "main,,P=FFF0,-. --explain",
         "processing \"MAIN.ROV\"\nERROR NO.22: Out of maximum program size\n" + INDENT +
             "section P runs from FFF0 to 1007F, 128 (80H) bytes beyond the last address FFFF\n" +
             "processing \"MAIN.ROV\"\n" + TOTALS_90,
         1},
        {"3: the item and the form expected",
         {{"main.rov", module_with_fields({})}},
         "main,,P=C000H,-. --explain",
         "ERROR NO.3: Invalid section information\n" + INDENT +
             "item \"P=C000H\": expected NAME or NAME=hexaddress, such as P=C000\n",
         2},
        {"3: a section named twice",
         {{"main.rov", module_with_fields({})}},
         "main,,P Z P,-. --explain",
         "processing \"MAIN.ROV\"\nERROR NO.3: Invalid section information\n" + INDENT +
             "item \"P\": the section information names this section twice\n",
         2},
        {"0: a library among the relocatable files",
         {{"main.rov", module_with_fields({})}},
         "main util.lib,,,-. --explain",
         "processing \"MAIN.ROV\"\nERROR NO.0: UTIL.LIB.ROV File not found\n" + INDENT +
             "UTIL.LIB stands among the relocatable files: libraries go in the second field, after the first "
             "comma\n",
         2},
        {"6: the offset and what the reader expected",
         {{"main.rov", bad_version}},
         "main,,,-. --explain",
         "processing \"MAIN.ROV\"\nERROR NO.6: Internal error at POINT 2\n" + INDENT +
             "MAIN.ROV, offset 0x000007: expected the version record's tag F1\n",
         4},
        {"9: the library module that refers to the name",
         {{"main.rov", needs_x}, {"util.lib", util.bytes()}},
         "main,util,,-. --explain",
         "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\nERROR NO.9: Unresolved label \"y\" in UTIL.LIB\n" +
             INDENT + "needed by UTIL.LIB(XMOD), the first module that refers to \"y\"\n",
         1, ""},
        {"10: a file given twice",
         {{"main.rov", module_with_fields({})}},
         "main main,,,-. --explain",
         MAIN_TWICE + "ERROR NO.10: \"again\" is multiple defined in MAIN.ROV. others in MAIN.ROV\n" + INDENT +
             "MAIN.ROV is given twice in the relocatable files: each copy defines it\n" +
             "ERROR NO.10: \"count\" is multiple defined in MAIN.ROV. others in MAIN.ROV\n" + INDENT +
             "MAIN.ROV is given twice in the relocatable files: each copy defines it\n" +
             "ERROR NO.10: \"flags\" is multiple defined in MAIN.ROV. others in MAIN.ROV\n" + INDENT +
             "MAIN.ROV is given twice in the relocatable files: each copy defines it\n",
         1, ""},
    };
    for (const ExpectedRun& c : cases) {
        expect_run(c);
        // Without the option, the same run prints only the catalogue's lines.
        ExpectedRun plain = c;
        plain.command = c.command.substr(0, c.command.size() - std::string(" --explain").size());
        std::string expected;
        for (std::size_t start = 0; start < c.out.size();) {
            std::size_t end = c.out.find('\n', start) + 1;
            std::string line = c.out.substr(start, end - start);
            bool added = line.rfind(INDENT, 0) == 0 && line.find("SECTION=") == std::string::npos;
            if (!added) expected += line;
            start = end;
        }
        plain.out = expected;
        plain.what += " (without --explain)";
        expect_run(plain);
    }
}

// Error 15 gives the host's reason for an output it cannot create: a
// directory that does not exist, a name that is a directory; only with
// --explain.
TEST(ExplainEndToEnd, ErrorFifteenGivesTheHostsReason) {
    TempDir dir;
    dir.write("MAIN.ROV", module_with_fields({}));
    std::filesystem::create_directory(dir / "REPORT");
    const std::string reason = INDENT + "the system says: ";
    const struct {
        const char* command;
        std::string tail;
    } cases[] = {
        {"main,,P=C000,-. -ONOSUCH/ --explain",
         "ERROR NO.15: Can't create NOSUCH/MAIN.HEX\n" + reason + std::strerror(ENOENT) + "\n"},
        {"main,,P=C000,-. --link-report=REPORT --explain",
         "ERROR NO.15: Can't create REPORT\n" + reason + std::strerror(EISDIR) + "\n"},
        {"main,,P=C000,-. -ONOSUCH/", "ERROR NO.15: Can't create NOSUCH/MAIN.HEX\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        RunResult run = run_orvlink(dir.path(), {c.command});
        EXPECT_TRUE(run.out.ends_with(c.tail)) << run.out;
        EXPECT_EQ(run.status, 3);
    }
}

}  // namespace
}  // namespace orv::test
