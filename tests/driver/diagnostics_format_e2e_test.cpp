#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "library/library_support.h"
#include "support/run_linker.h"

// --diagnostics-format=gnu and --sarif: every kind of finding in the forms
// that editors and code scanning read, through the real binary.
namespace orv::test {
namespace {

using namespace orvfixture;

RelocSpec field(uint32_t offset, uint8_t type, uint8_t size, Expr expression) {
    return {offset, type, size, std::move(expression)};
}

Expr just(Term term) { return Expr(constant_term(0), std::move(term)); }

// MAIN.ROV: section P (0x90 bytes, the label again at 0x82) with one field
// for each range finding and a bit symbol used as a value; Z (RAM) holds
// count. OTHER.ROV: an absolute unit of section A over P, and a ROM part of
// section D, whose part in DATA.ROV is RAM.
void write_every_kind(const TempDir& dir) {
    ObjectWriter main;
    main.header("main.asm").units({{"P", 0, 0, 0, 0x90}, {"Z", 1, 0, 0, 2}});
    main.labels({{0, {{0x82, "again"}}}, {1, {{0, "count"}}}});
    main.bit_symbols({{0x04, 0x20, "ready"}});
    main.relocation(0, {field(1, REL_ADDRESS, 2, just(name_term("again")).then('+', constant_term(0x10000))),
                        field(3, REL_RELATIVE, 1, just(name_term("again")).then('+', constant_term(0x100))),
                        field(5, REL_ZERO_PAGE, 1, just(name_term("count"))),
                        field(7, REL_SPECIAL_PAGE, 1, just(name_term("again"))),
                        field(9, REL_BIT_VALUE, 1, just(constant_term(8))),
                        field(11, REL_VALUE, 1, just(name_term("ready")))});
    main.contents(0, {{0, Bytes(0x90, 0)}});
    // The fields 1 to 8 lie in function start, from line 10 on; 9 and 11 in
    // function flags.
    main.function(1, "start", 0, 0, 8).function(2, "flags", 0, 9, 0x8F);
    main.source_lines(1, {{"src/main.asm", {{10, 0}, {12, 3}, {14, 7}}}});
    main.source_lines(2, {{"src/flags.inc", {{3, 9}, {4, 11}}}});
    dir.write("MAIN.ROV", main.end().bytes());
    dir.write("OTHER.ROV", object([](ObjectWriter& w) { w.units({{"A", 0, 1, 0xC010, 4}, {"D", 0, 0, 0, 2}}); }));
    dir.write("DATA.ROV", object([](ObjectWriter& w) { w.units({{"D", 1, 0, 0, 2}}); }));
}

const std::string EVERY_KIND = "main other data,,P=C000 Z=0100 D=D000 NOSUCH";

// The findings of the link above in the GNU form, in the order found.
const std::string EVERY_KIND_GNU =
    "orvlink: error: Can't find SECTION NOSUCH [ORV14]\n"
    "OTHER.ROV: error: Location overlap. SECTION=A ADDRESS=C010 in OTHER.ROV [ORV11]\n"
    "DATA.ROV: warning: Section type mismatch in SECTION D [ORV23]\n"
    "src/main.asm:10: error: Expression value is out of range. SECTION=P ADDRESS=C001 OFFSET=0001 [ORV17]\n"
    "src/main.asm:12: error: Relative jump is out of range. SECTION=P ADDRESS=C003 OFFSET=0003 [ORV19]\n"
    "src/main.asm:12: error: Expression is out of ZERO page. SECTION=P ADDRESS=C005 OFFSET=0005 [ORV25]\n"
    "src/main.asm:14: error: Expression is out of SPECIAL page. SECTION=P ADDRESS=C007 OFFSET=0007 [ORV26]\n"
    "src/flags.inc:3: error: Bit value is out of range. SECTION=P ADDRESS=C009 OFFSET=0009 [ORV29]\n"
    "src/flags.inc:4: warning: label \"ready\" type is mismatch. [ORV27]\n";

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

TEST(DiagnosticsFormat, GnuLinesOfEveryKindOfFinding) {
    TempDir dir;
    write_every_kind(dir);
    RunResult run = run_orvlink(dir.path(), {EVERY_KIND + ",--quiet --diagnostics-format=gnu"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, EVERY_KIND_GNU);
    EXPECT_EQ(run.err, "\a");

    // VS Code's $gcc problem matcher: every message with a source line is
    // taken, with its file, line and severity; the others name their file.
    const std::regex gcc(R"(^(.*?):(\d+):(\d*):?\s+(?:fatal\s+)?(warning|error):\s+(.*)$)");
    const std::regex file_only(R"(^([^:]+): (warning|error|fatal error): (.*) \[ORV\d\d\]$)");
    int matched = 0;
    for (const std::string& line : lines_of(run.out)) {
        SCOPED_TRACE(line);
        std::smatch m;
        if (line.rfind("src/", 0) == 0) {
            ASSERT_TRUE(std::regex_match(line, m, gcc));
            EXPECT_TRUE(m[1] == "src/main.asm" || m[1] == "src/flags.inc");
            EXPECT_EQ(m[4], line.find("type is mismatch") != std::string::npos ? "warning" : "error");
            ++matched;
        } else {
            EXPECT_FALSE(std::regex_match(line, m, gcc));
            EXPECT_TRUE(std::regex_match(line, m, file_only));
        }
    }
    EXPECT_EQ(matched, 6);
    const std::vector<std::string> all = lines_of(run.out);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(all[5], m, gcc));
    EXPECT_EQ(m[1], "src/main.asm");
    EXPECT_EQ(m[2], "12");
    EXPECT_EQ(m[5], "Expression is out of ZERO page. SECTION=P ADDRESS=C005 OFFSET=0005 [ORV25]");

    // The same link in the classic form, with the totals and progress lines,
    // is what it always was: the lines are not looked up without an option.
    RunResult classic = run_orvlink(dir.path(), {EVERY_KIND + ",-. --diagnostics-format=classic"});
    RunResult plain = run_orvlink(dir.path(), {EVERY_KIND + ",-."});
    EXPECT_EQ(classic.out, plain.out);
    EXPECT_NE(plain.out.find("ERROR NO.25: Expression is out of ZERO page.\n"
                             "             SECTION=P ADDRESS=C005 OFFSET=0005\nERROR NO.26"),
              std::string::npos);
}

TEST(DiagnosticsFormat, ExplainNamesTheFunctionAndLineInBothForms) {
    TempDir dir;
    write_every_kind(dir);
    RunResult gnu = run_orvlink(dir.path(), {EVERY_KIND + ",--quiet --diagnostics-format=gnu --explain"});
    const std::string zero_page =
        "src/main.asm:12: error: Expression is out of ZERO page. SECTION=P ADDRESS=C005 OFFSET=0005 [ORV25]\n"
        "src/main.asm:12: note: module MAIN.ROV, names: count=0100\n"
        "src/main.asm:12: note: value 0100, allowed 0000 to 00FF\n"
        "src/main.asm:12: note: the cause of the findings above: section Z lies at 0100 to 0101, outside the zero "
        "page 0000 to 00FF\n"
        "src/main.asm:12: note: in function start, at src/main.asm:12\n";
    EXPECT_NE(gnu.out.find(zero_page), std::string::npos) << gnu.out;
    EXPECT_NE(gnu.out.find("OTHER.ROV: note: SECTION A C010-C013 of OTHER.ROV overlaps SECTION P C000-C08F of "
                           "MAIN.ROV at C010 to C013, 4 bytes\n"),
              std::string::npos);
    EXPECT_NE(gnu.out.find("src/flags.inc:4: warning: label \"ready\" type is mismatch. [ORV27]\n"
                           "src/flags.inc:4: note: module MAIN.ROV, section P, address C00B: the field wants an "
                           "address or value\n"
                           "src/flags.inc:4: note: in function flags, at src/flags.inc:4\n"),
              std::string::npos);

    RunResult classic = run_orvlink(dir.path(), {EVERY_KIND + ",-. --explain"});
    EXPECT_NE(classic.out.find("processing \"MAIN.ROV\"\n"
                               "ERROR NO.17: Expression value is out of range.\n"
                               "             SECTION=P ADDRESS=C001 OFFSET=0001\n"
                               "             module MAIN.ROV, names: again=C082\n"
                               "             value 1C082, allowed 0000 to FFFF\n"
                               "             in function start, at src/main.asm:10\n"
                               "ERROR NO.19:"),
              std::string::npos)
        << classic.out;
    EXPECT_NE(classic.out.find("ERROR NO.23: Section type mismatch in SECTION D\n"
                               "             module DATA.ROV, section D, address D002: its part is RAM, the part "
                               "of OTHER.ROV at D000 is ROM\n"),
              std::string::npos);
}

// A damaged source-line record fails no link without a symbol file: the
// finding keeps its file as its place.
TEST(DiagnosticsFormat, DamagedLineTableLeavesTheLineUnknown) {
    TempDir dir;
    ObjectWriter main;
    main.header("main.asm").units({{"P", 0, 0, 0, 4}});
    main.relocation(0, {field(1, REL_ZERO_PAGE, 1, just(constant_term(0x100)))});
    main.contents(0, {{0, Bytes(4, 0)}});
    main.function(1, "start", 0, 0, 3).tag(0xE4);  // a source-line record cut short
    dir.write("MAIN.ROV", main.bytes());
    RunResult run = run_orvlink(dir.path(), {"main,,P=C000,--quiet --diagnostics-format=gnu"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "MAIN.ROV: error: Expression is out of ZERO page. SECTION=P ADDRESS=C001 OFFSET=0001 [ORV25]\n");
}

TEST(DiagnosticsFormat, FatalErrorsAndAWrongValue) {
    TempDir dir;
    RunResult missing = run_orvlink(dir.path(), {"main,,,--quiet --diagnostics-format=gnu"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "orvlink: fatal error: MAIN.ROV File not found [ORV00]\n");
    EXPECT_EQ(missing.err, "\a");
    RunResult wrong = run_orvlink(dir.path(), {"main,,,--diagnostics-format=msvc"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "ERROR NO.4: Invalid parameter input \"--diagnostics-format=msvc\"\n");
}

// --quiet leaves the messages and what an option asks for on standard
// output: here the cross-reference table.
TEST(DiagnosticsFormat, QuietKeepsOnlyMessagesAndRequestedOutput) {
    TempDir dir;
    write_every_kind(dir);
    RunResult run = run_orvlink(dir.path(), {EVERY_KIND + ",--quiet"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("processing"), std::string::npos);
    EXPECT_EQ(run.out.find("TOTAL"), std::string::npos);
    EXPECT_EQ(run.out.rfind("ERROR NO.14: Can't find SECTION NOSUCH\n", 0), 0u);
    EXPECT_EQ(run.err, "\a");

    dir.write("OK.ROV", object([](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 2}}).labels(0, {{0, "entry"}}); }));
    RunResult ok = run_orvlink(dir.path(), {"ok,,,--quiet --cref"});
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.err, "");
    EXPECT_NE(ok.out.find("entry"), std::string::npos);
    RunResult banner = run_orvlink(dir.path(), {"ok", "--quiet"}, "\n\n\n");
    EXPECT_EQ(banner.status, 0);
    EXPECT_EQ(banner.out, "");
}

// The results' texts, levels and places, and the rules' help as
// docs/diagnostics.md gives it.
const char* const SARIF_CONTENTS = R"(
import json, re, sys
log = json.load(open(sys.argv[1]))
run = log["runs"][0]
results = run["results"]
print(len(results), run["invocations"][0]["exitCode"], run["invocations"][0]["executionSuccessful"])
for r in results:
    where = r.get("locations", [{}])[0]
    uri = where.get("physicalLocation", {}).get("artifactLocation", {}).get("uri", "-")
    line = where.get("physicalLocation", {}).get("region", {}).get("startLine", "-")
    names = "/".join(l["name"] for l in where.get("logicalLocations", []))
    related = [l["message"]["text"] for l in r.get("relatedLocations", [])]
    print(r["ruleId"], r["level"], uri, line, names, r["message"]["text"], related[:1])
help = {}
for row in open(sys.argv[2]):
    m = re.match(r"^\| (\d+) \| `.*?` \| .*? \| .*? \| .* \| (.*?) \|$", row)
    if m and int(m.group(1)) not in help:
        help[int(m.group(1))] = m.group(2)
rules = {r["id"]: r.get("help", {}).get("text", "-") for r in run["tool"]["driver"]["rules"]}
print("help differs:", [n for n, text in help.items() if rules.get("ORV%02d" % n) != text])
)";

TEST(DiagnosticsFormat, SarifLogOfEveryKindOfFinding) {
    TempDir dir;
    write_every_kind(dir);
    RunResult run = run_orvlink(dir.path(), {EVERY_KIND + ",--quiet --sarif=run.sarif"});
    EXPECT_EQ(run.status, 1);
    // The console is as without the option.
    EXPECT_EQ(run.out, run_orvlink(dir.path(), {EVERY_KIND + ",--quiet"}).out);

    // The whole SARIF 2.1.0 schema when ORV_SARIF_SCHEMA names it (CI
    // fetches it), else the schema of the properties the format requires.
    const char* full_schema = std::getenv("ORV_SARIF_SCHEMA");
    const bool have_full_schema = full_schema != nullptr && *full_schema != '\0';
    const std::string schema_name = have_full_schema ? std::filesystem::path(full_schema).filename().string()
                                                     : "sarif_required.schema.json";
    const std::map<std::string, std::string> schema_env = {{"ORV_SARIF_SCHEMA", have_full_schema ? full_schema : ""}};
    const bool have_validator = run_program("python3", dir.path(), {"-c", "import jsonschema"}).status == 0;
    auto expect_valid = [&](const std::string& log) {
        RunResult check =
            run_program("python3", dir.path(), {ORV_SOURCE_DIR "/tests/driver/sarif_check.py", log}, "", schema_env);
        EXPECT_EQ(check.status, 0) << log << ": " << check.out << check.err;
        if (have_validator) {
            EXPECT_EQ(check.out, "valid (schema " + schema_name + ")\n") << log;
        }
    };
    expect_valid("run.sarif");
    RunResult contents =
        run_program("python3", dir.path(), {"-c", SARIF_CONTENTS, "run.sarif", ORV_SOURCE_DIR "/docs/diagnostics.md"});
    EXPECT_EQ(contents.out,
              "9 1 False\n"
              "ORV14 error - -  Can't find SECTION NOSUCH []\n"
              "ORV11 error OTHER.ROV - OTHER.ROV/A/C010 Location overlap. SECTION=A ADDRESS=C010 in OTHER.ROV "
              "['SECTION P C000-C08F of MAIN.ROV']\n"
              "ORV23 warning DATA.ROV - DATA.ROV/D/D002 Section type mismatch in SECTION D ['the first ROM part of "
              "the section']\n"
              "ORV17 error src/main.asm 10 MAIN.ROV/start/P/C001 Expression value is out of range. SECTION=P "
              "ADDRESS=C001 OFFSET=0001 []\n"
              "ORV19 error src/main.asm 12 MAIN.ROV/start/P/C003 Relative jump is out of range. SECTION=P "
              "ADDRESS=C003 OFFSET=0003 []\n"
              "ORV25 error src/main.asm 12 MAIN.ROV/start/P/C005 Expression is out of ZERO page. SECTION=P "
              "ADDRESS=C005 OFFSET=0005 []\n"
              "ORV26 error src/main.asm 14 MAIN.ROV/start/P/C007 Expression is out of SPECIAL page. SECTION=P "
              "ADDRESS=C007 OFFSET=0007 []\n"
              "ORV29 error src/flags.inc 3 MAIN.ROV/flags/P/C009 Bit value is out of range. SECTION=P ADDRESS=C009 "
              "OFFSET=0009 []\n"
              "ORV27 warning src/flags.inc 4 MAIN.ROV/flags/P/C00B label \"ready\" type is mismatch. []\n"
              "help differs: []\n")
        << contents.err;

    // A fatal error is a result too, and a log that cannot be written is error 15.
    RunResult fatal = run_orvlink(dir.path(), {"nothing,,,-. --sarif=fatal.sarif"});
    EXPECT_EQ(fatal.status, 2);
    expect_valid("fatal.sarif");
    RunResult fatal_contents = run_program("python3", dir.path(), {"-c", SARIF_CONTENTS, "fatal.sarif", "/dev/null"});
    EXPECT_EQ(fatal_contents.out, "1 2 False\nORV00 error - -  NOTHING.ROV File not found []\nhelp differs: []\n");
    RunResult unwritable = run_orvlink(dir.path(), {EVERY_KIND + ",-. --sarif=no/such/dir.sarif"});
    EXPECT_EQ(unwritable.status, 3);
    EXPECT_NE(unwritable.out.find("ERROR NO.15: Can't create no/such/dir.sarif\n"), std::string::npos);
    if (!have_validator) GTEST_SKIP() << "python3's jsonschema is missing: the log's properties were checked without the schema";
}

// --explain lines belong to a finding's whole text in the link report.
TEST(DiagnosticsFormat, LinkReportKeepsTheExplanationLines) {
    TempDir dir;
    write_every_kind(dir);
    RunResult run = run_orvlink(dir.path(), {EVERY_KIND + ",-. --explain --link-report=r.json"});
    EXPECT_EQ(run.status, 1);
    const std::string report = dir.read("r.json");
    EXPECT_NE(report.find("{\"number\":29,\"text\":\"Bit value is out of range.\\n             SECTION=P "
                          "ADDRESS=C009 OFFSET=0009\\n             module MAIN.ROV, no names\\n             bit "
                          "number 8, allowed 0 to 7\\n             in function flags, at src/flags.inc:3\"}"),
              std::string::npos)
        << report;
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// MAIN.ROV: section P of 16 bytes with contents, the label sum at offset 8,
// in function start from line 10 on.
void write_fit_program(const TempDir& dir) {
    ObjectWriter main;
    main.header("main.asm").units({{"P", 0, 0, 0, 0x10}});
    main.labels({{0, {{8, "sum"}}}});
    main.contents(0, {{0, Bytes(0x10, 0)}});
    main.function(1, "start", 0, 0, 0xF);
    main.source_lines(1, {{"src/main.asm", {{10, 0}, {12, 4}, {14, 8}}}});
    dir.write("MAIN.ROV", main.end().bytes());
}

// The region and checksum findings name the line of their byte: the first
// byte of the unit that overflows, the byte the checksum's label names, and
// the byte of contents under the checksum; in the classic form, the GNU form
// and the SARIF log. Placement's findings wait for pass 2's tables.
TEST(DiagnosticsFormat, FitAndChecksumFindingsNameTheirLines) {
    TempDir dir;
    write_fit_program(dir);
    const std::string link = "main,,P=C000,--quiet --region=FLASH:ROM:C000-C007 --checksum=crc16-xmodem@C000-C00F:sum";
    RunResult classic = run_orvlink(dir.path(), {link + " --explain"});
    EXPECT_EQ(classic.status, 1);
    EXPECT_EQ(classic.out,
              "ERROR NO.34: SECTION P will not fit in region FLASH: overflowed by 8 bytes\n"
              "             region FLASH C000-C007 holds 16 of 8 bytes; largest contributors:\n"
              "             MAIN.ROV                     16 bytes\n"
              "             in function start, at src/main.asm:10\n"
              "ERROR NO.38: Checksum \"crc16-xmodem@C000-C00F:sum\" at C008-C009 lies inside its own range\n"
              "             in function start, at src/main.asm:14\n"
              "ERROR NO.39: Checksum \"crc16-xmodem@C000-C00F:sum\" at C008-C009 lies over the contents of "
              "SECTION P in MAIN.ROV\n"
              "             in function start, at src/main.asm:14\n");

    RunResult gnu = run_orvlink(dir.path(), {link + " --diagnostics-format=gnu"});
    EXPECT_EQ(gnu.out,
              "src/main.asm:10: error: SECTION P will not fit in region FLASH: overflowed by 8 bytes [ORV34]\n"
              "src/main.asm:10: note: region FLASH C000-C007 holds 16 of 8 bytes; largest contributors:\n"
              "src/main.asm:10: note: MAIN.ROV                     16 bytes\n"
              "src/main.asm:14: error: Checksum \"crc16-xmodem@C000-C00F:sum\" at C008-C009 lies inside its own "
              "range [ORV38]\n"
              "src/main.asm:14: error: Checksum \"crc16-xmodem@C000-C00F:sum\" at C008-C009 lies over the contents "
              "of SECTION P in MAIN.ROV [ORV39]\n");

    // Without the options the findings stand where placement lists them, and
    // name no line.
    RunResult plain = run_orvlink(dir.path(), {link});
    EXPECT_EQ(plain.out.find("in function"), std::string::npos);
    EXPECT_TRUE(plain.out.starts_with("ERROR NO.34:")) << plain.out;

    RunResult sarif = run_orvlink(dir.path(), {link + " --sarif=run.sarif"});
    RunResult contents =
        run_program("python3", dir.path(), {"-c", SARIF_CONTENTS, "run.sarif", ORV_SOURCE_DIR "/docs/diagnostics.md"});
    EXPECT_EQ(contents.out,
              "3 1 False\n"
              "ORV34 error src/main.asm 10 MAIN.ROV/start/P/C000 SECTION P will not fit in region FLASH: overflowed "
              "by 8 bytes ['contributor MAIN.ROV: 16 bytes']\n"
              "ORV38 error src/main.asm 14 MAIN.ROV/start/P/C008 Checksum \"crc16-xmodem@C000-C00F:sum\" at "
              "C008-C009 lies inside its own range []\n"
              "ORV39 error src/main.asm 14 MAIN.ROV/start/P/C008 Checksum \"crc16-xmodem@C000-C00F:sum\" at "
              "C008-C009 lies over the contents of SECTION P in MAIN.ROV []\n"
              "help differs: []\n")
        << contents.err;
}

}  // namespace
}  // namespace orv::test
