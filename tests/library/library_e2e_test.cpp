#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "library_support.h"

namespace orv::test {
namespace {

using namespace orvfixture;

Bytes main_needing(const Names& externals, const Names& requested_libs = {}) {
    return object([&](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 2}}).externals(externals); }, "1.00", {},
                  requested_libs);
}

Bytes library_defining(const std::string& name) {
    return LibraryWriter().add(test::library_module("M", {.labels = {name}})).bytes();
}

// MAIN's two bytes become the address of x, which the library's second
// module defines at the start of its unit; that module's own relocation
// (the value 1 into its first byte) is applied too.
TEST(LibraryEndToEnd, TakenModuleIsLinkedFromItsImage) {
    TempDir dir;
    ObjectWriter main;
    main.header("main.asm").units({{"P", 0, 0, 0, 2}}).externals({"x"});
    main.relocation(0, {{0, REL_ADDRESS, 2, Expr(constant_term(0), name_term("x"))}});
    main.contents(0, {{0, {0xEA, 0xEA}}}).end();
    dir.write("main.rov", main.bytes());
    LibraryWriter lib;
    lib.add(test::library_module("UNUSED", {.labels = {"u"}}));
    lib.add(test::library_module("XMOD", {.labels = {"x"}}));
    dir.write("util.lib", lib.bytes());

    RunResult run = run_orvlink(dir.path(), {"main,util,,-."});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n"
              "processing \"MAIN.ROV\"\nprocessing \"UTIL.LIB ( XMOD )\"\n"
              "TOTAL ROM SIZE 4 (4H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n");
    EXPECT_EQ(dir.read("MAIN.HEX"), ":020000000200FC\r\n:0200020001EA11\r\n:00000001FF\r\n\x1A");
}

// The trace shows which library is opened when and which entry is read how
// far. Cycle 1: ONE's A is not needed yet, TWO's B is taken. Cycle 2: A is
// taken, B is passed over. Cycle 3 takes nothing, and zz, first referenced by
// B, is reported with the path under which LIBOV found TWO.LIB; that path
// also reopens it in the later cycles.
TEST(LibraryEndToEnd, DebugTraceFollowsTheSearchCycles) {
    TempDir dir;
    ObjectWriter main;
    main.header().units({{"P"}}).labels(0, {{0, "m"}}).symbols({{1, "s"}}).bit_symbols({{1, 2, "f"}});
    dir.write("main.rov", main.externals({"b"}).end().bytes());
    dir.write("ONE.LIB", LibraryWriter().add(test::library_module("A", {.labels = {"a"}})).bytes());
    std::filesystem::create_directories(dir / "libs");
    dir.write("libs/TWO.LIB",
              LibraryWriter().add(test::library_module("B", {.labels = {"b"}, .externals = {"a", "zz"}})).bytes());
    std::string libov = (dir / "libs").string();

    RunResult run = run_orvlink(dir.path(), {"main,one two,,-. -DEBUG"}, "", {{"LIBOV", libov}});
    const std::string head = "now red_l_head()\n", tbl = "now red_l_tbl()\n", pub = "now red_l_pub()\n";
    const std::string labels = "now red_r_pub()\n", units = "now red_r_unit()\n", ext = "now red_r_ext()\n";
    EXPECT_EQ(run.status, 1);
    // The bit-symbol reader shares the label reader's line.
    EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\nnow red_r_fmt()\nnow red_r_ver()\nnow red_r_fname()\n" + units +
                           labels + "now red_r_sym()\n" + labels + ext + "processing \"Libraries\"\n" +
                           head + tbl + pub + labels +                       // ONE, cycle 1
                           head + tbl + pub + labels + units + ext +         // TWO
                           head + tbl + pub + labels + units +               // ONE, cycle 2
                           head + tbl + head + tbl + head + tbl +            // TWO; cycle 3
                           "ERROR NO.9: Unresolved label \"zz\" in " + libov + "\\TWO.LIB\n");
    EXPECT_EQ(run.err, "");
}

TEST(LibraryEndToEnd, LibrariesThatCannotBeReadOrAreNotRead) {
    const std::string start = "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n";
    const ExpectedRun cases[] = {
        {"missing library", {{"main.rov", main_needing({"x"})}}, "main,nope,,-.",
         start + "ERROR NO.0: NOPE.LIB File not found\n", 2},
        {"missing requested library", {{"main.rov", main_needing({"x"}, {"GONE"})}}, "main,,,-.",
         start + "ERROR NO.0: GONE.LIB File not found\n", 2},
        {"requests off", {{"main.rov", main_needing({"x"}, {"RL"})}, {"C.LIB", LibraryWriter().bytes()},
                          {"RL.LIB", library_defining("x")}},
         "main,c,,-. -N", start + "ERROR NO.9: Unresolved label \"x\" in MAIN.ROV\n", 1, ""},
    };
    for (const ExpectedRun& c : cases) expect_run(c);
}

}  // namespace
}  // namespace orv::test
