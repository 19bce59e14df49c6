#include <gtest/gtest.h>

#include <string>

#include "library_support.h"

// --why-extract and --cref on a chain of library modules: MAIN needs a,
// which FIRST.LIB's A defines; A needs b from SECOND.LIB's B, and B needs c
// from C, which stands after it. U is never needed.
namespace orv::test {
namespace {

using namespace orvfixture;

void write_chain(const TempDir& dir, const Names& main_externals, bool with_c = true) {
    dir.write("main.rov", object([&](ObjectWriter& w) {
                  w.units({{"P", 0, 0, 0, 2}}).labels(0, {{0, "main"}}).externals(main_externals);
              }));
    dir.write("first.lib", LibraryWriter().add(test::library_module("A", {.labels = {"a"}, .externals = {"b"}})).bytes());
    LibraryWriter second;
    second.add(test::library_module("U", {.labels = {"u"}}));
    second.add(test::library_module("B", {.labels = {"b"}, .externals = {"c"}}));
    // C refers to its own name too; its definer is not listed again.
    if (with_c) second.add(test::library_module("C", {.labels = {"c"}, .externals = {"c", "main"}}));
    dir.write("second.lib", second.bytes());
}

const std::string PASS1 = "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n";
// MAIN.ROV has no contents, so pass 2 does not list it.
const std::string PASS2 =
    "processing \"FIRST.LIB ( A )\"\nprocessing \"SECOND.LIB ( B )\"\n"
    "processing \"SECOND.LIB ( C )\"\nTOTAL ROM SIZE 8 (8H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n";

TEST(WhyExtractEndToEnd, EveryModuleOfTheChainWithWhoNeededItAndWhy) {
    TempDir dir;
    write_chain(dir, {"a"});
    RunResult run = run_orvlink(dir.path(), {"main,first second,,-. --why-extract=why.txt"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, PASS1 + PASS2);
    EXPECT_EQ(dir.read("why.txt"),
              "reference\textracted\tsymbol\n"
              "MAIN.ROV\tFIRST.LIB(A)\ta\n"
              "FIRST.LIB(A)\tSECOND.LIB(B)\tb\n"
              "SECOND.LIB(B)\tSECOND.LIB(C)\tc\n");
}

TEST(WhyExtractEndToEnd, WrittenToStandardOutputAlsoWhenPassOneFails) {
    TempDir dir;
    write_chain(dir, {"a"}, false);
    RunResult run = run_orvlink(dir.path(), {"main,first second,,-.", "--why-extract=-"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, PASS1 + "ERROR NO.9: Unresolved label \"c\" in SECOND.LIB\n"
                               "reference\textracted\tsymbol\n"
                               "MAIN.ROV\tFIRST.LIB(A)\ta\n"
                               "FIRST.LIB(A)\tSECOND.LIB(B)\tb\n");

    RunResult refused = run_orvlink(dir.path(), {"main,first second,,-. --why-extract=no/such/dir/why.txt"});
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.out, PASS1 + "ERROR NO.9: Unresolved label \"c\" in SECOND.LIB\n"
                                   "ERROR NO.15: Can't create no/such/dir/why.txt\n");
}

// b is named twice by MAIN and once by A; c by its definer and B; main by
// C, which is taken in last.
const std::string CREF_ROWS =
    "a                                                 FIRST.LIB(A)\n"
    "                                                  MAIN.ROV\n"
    "b                                                 SECOND.LIB(B)\n"
    "                                                  MAIN.ROV\n"
    "                                                  FIRST.LIB(A)\n"
    "c                                                 SECOND.LIB(C)\n"
    "                                                  SECOND.LIB(B)\n"
    "main                                              MAIN.ROV\n"
    "                                                  SECOND.LIB(C)\n";

TEST(CrossReferenceEndToEnd, SharedNamesWithDefinerAndEveryReferrer) {
    TempDir dir;
    write_chain(dir, {"a", "b", "b"});
    RunResult console = run_orvlink(dir.path(), {"main,first second,,-. --cref"});
    EXPECT_EQ(console.status, 0);
    const std::string heading =
        "Cross Reference Table\n\nSymbol                                            File\n";
    EXPECT_EQ(console.out, PASS1 + PASS2 + "\n" + heading + CREF_ROWS);

    // With a map file the table closes the map's listings, before its totals.
    RunResult mapped = run_orvlink(dir.path(), {"main,first second,,-. -MS --cref"}, "", {{"SOURCE_DATE_EPOCH", "0"}});
    EXPECT_EQ(mapped.out, PASS1 + PASS2);
    std::string map = dir.read("MAIN.MAP");
    std::string expected_tail = "\n\n" + heading + CREF_ROWS + "\nTOTAL ROM SIZE 8 (8H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n";
    std::string crlf;
    for (char c : expected_tail) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_GE(map.size(), crlf.size() + 1);
    EXPECT_EQ(map.substr(map.size() - crlf.size() - 1), crlf + "\x1A");
    EXPECT_NE(map.find("GLOBAL BIT SYMBOL INFORMATION\r\n\r\n\r\n\r\n\r\nCross Reference Table"), std::string::npos)
        << map;
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

using namespace orvfixture;

// Names from the files reach the console escaped, C1 controls included, in
// every console listing; the --why-extract table escapes TAB, CR and LF in a
// name, so that a name cannot forge a row; the map keeps the bytes.
TEST(ConsoleEscaping, ListingsEscapeNamesAndTheTableCannotBeForged) {
    TempDir dir;
    const std::string forged = "x\tFORGED\r\nROW";
    dir.write("main.rov", object([&](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 2}}).externals({forged}); }));
    dir.write("evil.lib", LibraryWriter().add(test::library_module("M\x9B" "2J", {.labels = {forged}})).bytes());

    RunResult file = run_orvlink(dir.path(), {"main,evil,,-.", "--why-extract=why.txt"});
    EXPECT_EQ(file.status, 0) << file.out;
    EXPECT_EQ(dir.read("why.txt"), "reference\textracted\tsymbol\n"
                                   "MAIN.ROV\tEVIL.LIB(M\x9B" "2J)\tx\\x09FORGED\\x0D\\x0AROW\n");

    RunResult console = run_orvlink(dir.path(), {"main,evil,,-.", "--why-extract=-", "--cref"});
    EXPECT_EQ(console.status, 0) << console.out;
    EXPECT_NE(console.out.find("MAIN.ROV\tEVIL.LIB(M\\x9B2J)\tx\\x09FORGED\\x0D\\x0AROW\n"), std::string::npos)
        << console.out;
    EXPECT_NE(console.out.find("x\\x09FORGED\\x0D\\x0AROW "), std::string::npos) << console.out;
    EXPECT_EQ(console.out.find('\x9B'), std::string::npos);
    EXPECT_EQ(console.out.find('\r'), std::string::npos);

    RunResult usage = run_orvlink(dir.path(), {"main,evil,,-.", "--print-memory-usage", "--region=R\x1B[2J:ROM:0000-FFFF"});
    EXPECT_NE(usage.out.find("      R\\x1B[2J: "), std::string::npos) << usage.out;
    EXPECT_EQ(usage.out.find('\x1B'), std::string::npos);
}

}  // namespace
}  // namespace orv::test
