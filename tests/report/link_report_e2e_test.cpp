#include <gtest/gtest.h>

#include <string>

#include "report/report_program.h"

namespace orv::test {
namespace {

// The units of the report in the map file's layout, so that the test can
// compare them with the map line by line.
const char* const UNITS_AS_MAP =
    "import json, sys\n"
    "report = json.load(open(sys.argv[1]))\n"
    "last = None\n"
    "for u in report['units']:\n"
    "    name = u['section'] if u['section'] != last else ''\n"
    "    last = u['section']\n"
    "    print('%-17s %-17s %s   %s   %04X   %04X   ' % (name, u['file'], u['attribute'], u['kind'], u['start'], u['length']))\n"
    "    if u['library_module']: print(' ' * 18 + '(%s)' % u['library_module'])\n";

std::string jq(const TempDir& dir, const std::string& filter) {
    RunResult run = run_program("jq", dir.path(), {"-r", "-c", filter, "REPORT.JSON"});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

// The map's section listing, without its line ends' carriage returns.
std::string map_listing(const std::string& map) {
    std::size_t start = map.find("LENGTH\r\n\r\n") + 10;
    std::string listing = map.substr(start, map.find("\r\n\r\n", start) + 2 - start);
    std::string plain;
    for (char c : listing) {
        if (c != '\r') plain += c;
    }
    return plain;
}

// A link that overflows a region still writes its report: valid JSON whose
// units, names, library modules, totals and findings agree with the map and
// the console.
TEST(LinkReport, AgreesWithTheMapAndRecordsTheFindings) {
    TempDir dir;
    write_report_program(dir);
    RunResult link = run_orvlink(dir.path(), {"MAIN,UTIL,P=C000 DATA=0200,-. -MS " + std::string(REPORT_REGIONS),
                                              "--link-report=REPORT.JSON"});
    ASSERT_EQ(link.status, 1) << link.out;
    EXPECT_EQ(run_program("python3", dir.path(), {"-m", "json.tool", "REPORT.JSON"}).status, 0);

    RunResult units = run_program("python3", dir.path(), {"-c", UNITS_AS_MAP, "REPORT.JSON"});
    ASSERT_EQ(units.status, 0) << units.err;
    EXPECT_EQ(units.out, map_listing(dir.read("MAIN.MAP")));

    EXPECT_EQ(jq(dir, ".version, .command.section_information, .command.command_parameters, .output_files.hex"),
              "2\nP=C000 DATA=0200\n-. -MS " + std::string(REPORT_REGIONS) + "\nMAIN.HEX\n");
    // Values as the map's global listing shows them: putc C004, reset FFFE.
    EXPECT_EQ(jq(dir, ".globals[] | [.name, .kind, .value, .file, .library_module]"),
              "[\"SIZE\",\"symbol\",64,\"MAIN.ROV\",null]\n"
              "[\"main\",\"label\",49152,\"MAIN.ROV\",null]\n"
              "[\"putc\",\"label\",49156,\"UTIL.LIB\",\"PUTC\"]\n"
              "[\"ready\",\"bit\",32,\"MAIN.ROV\",null]\n"
              "[\"reset\",\"label\",65534,\"MAIN.ROV\",null]\n");
    EXPECT_EQ(jq(dir, ".library_modules[] | [.library, .module, .needed_name, .needed_by_file, .needed_by_module]"),
              "[\"UTIL.LIB\",\"PUTC\",\"putc\",\"MAIN.ROV\",null]\n");
    EXPECT_EQ(jq(dir, ".sections[] | [.name, .kind, .attribute, .start, .length]"),
              "[\"DATA\",\"RAM\",\"REL\",512,2]\n[\"P\",\"ROM\",\"REL\",49152,7]\n[\"VEC\",\"ROM\",\"ABS\",65534,2]\n");
    // FLASH holds 7 of its 6 bytes; SRAM's free block follows DATA.
    EXPECT_EQ(jq(dir, ".regions[] | [.name, .size, .used, .free, .largest_free_block.start, .largest_free_block.length, .fits]"),
              "[\"FLASH\",6,7,0,49152,0,false]\n[\"SRAM\",256,2,254,514,254,true]\n"
              "[\"VECTORS\",16,2,14,65520,14,true]\n");
    EXPECT_EQ(jq(dir, ".totals, .exit_status"), "{\"rom\":9,\"ram\":2}\n1\n");
    EXPECT_EQ(jq(dir, ".findings[] | [.number, .text]"),
              "[34,\"SECTION P will not fit in region FLASH: overflowed by 1 byte\\n"
              "             region FLASH C000-C005 holds 7 of 6 bytes; largest contributors:\\n"
              "             MAIN.ROV                      4 bytes\\n"
              "             UTIL.LIB ( PUTC )             3 bytes\"]\n");
}

// Listed findings of other phases are recorded whole, library module
// included; a run without findings reports none and status 0.
TEST(LinkReport, RecordsEveryListedFindingAndTheStatus) {
    TempDir dir;
    write_report_program(dir);
    orvfixture::LibraryWriter library;
    library.add("PUTC", region_module({{"P", 0, 0, 0, 3}, {"LIBSEC", 0, 0, 0, 2}}, "putc"));
    dir.write("UTIL.LIB", library.bytes());
    RunResult link = run_orvlink(dir.path(), {"MAIN,UTIL,P=C000 LIBSEC=C001 DATA=0200 NOSUCH,-.",
                                              "--link-report=REPORT.JSON"});
    ASSERT_EQ(link.status, 1) << link.out;
    EXPECT_EQ(jq(dir, ".findings[] | [.number, .text]"),
              "[11,\"Location overlap. SECTION=LIBSEC ADDRESS=C001 in UTIL.LIB ( PUTC )\"]\n"
              "[14,\"Can't find SECTION NOSUCH\"]\n");
    EXPECT_EQ(jq(dir, ".exit_status, .output_files.map, (.regions | length)"), "1\nnull\n4\n");

    link = run_orvlink(dir.path(), {"MAIN,UTIL,P=C000 DATA=0200 LIBSEC=C100,-.", "--link-report=REPORT.JSON"});
    ASSERT_EQ(link.status, 0) << link.out;
    EXPECT_EQ(jq(dir, ".findings, .exit_status"), "[]\n0\n");
}

// A report that cannot be created ends the run as any output file would.
TEST(LinkReport, AFileThatCannotBeCreatedIsError15) {
    TempDir dir;
    write_report_program(dir);
    RunResult link = run_orvlink(dir.path(), {"MAIN,UTIL,P=C000,-.", "--link-report=missing/REPORT.JSON"});
    EXPECT_TRUE(link.out.ends_with("ERROR NO.15: Can't create missing/REPORT.JSON\n")) << link.out;
    EXPECT_EQ(link.status, 3);
}

}  // namespace
}  // namespace orv::test
