#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixture/library_writer.h"
#include "library_support.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using orvfixture::LibraryWriter;

orvfixture::Bytes main_needing(const std::vector<std::string>& externals) {
    orvfixture::ObjectWriter w;
    w.header("main.asm").units({{"P", 0, 0, 0, 2}}).labels(0, {{0, "main"}}).externals(externals);
    w.contents(0, {{0, {0xEA, 0xEA}}}).end();
    return w.bytes();
}

TEST(LibraryEndToEnd, TakenModuleIsLinkedFromItsImage) {
    TempDir dir;
    // MAIN's two bytes become the address of x, which the library's second
    // module defines at the start of its unit.
    orvfixture::ObjectWriter main;
    main.header("main.asm").units({{"P", 0, 0, 0, 2}}).externals({"x"});
    main.relocation(0, {{0, orvfixture::REL_ADDRESS, 2,
                         orvfixture::Expr(orvfixture::constant_term(0), orvfixture::name_term("x"))}});
    main.contents(0, {{0, {0xEA, 0xEA}}}).end();
    dir.write("main.rov", main.bytes());
    LibraryWriter lib;
    lib.add("UNUSED", module_image({.labels = {"u"}}).bytes());
    lib.add("XMOD", module_image({.labels = {"x"}}).bytes());
    dir.write("util.lib", lib.bytes());

    RunResult run = run_orvlink(dir.path(), {"main,util,,-."});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n"
              "processing \"MAIN.ROV\"\nprocessing \"UTIL.LIB ( XMOD )\"\n"
              "TOTAL ROM SIZE 4 (4H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n");
    // XMOD's own relocation (the value 1 into its first byte) is applied too.
    EXPECT_EQ(dir.read("MAIN.HEX"), ":020000000200FC\r\n:0200020001EA11\r\n:00000001FF\r\n\x1A");
}

TEST(LibraryEndToEnd, LibraryDirectoryPathAppearsInTheReport) {
    TempDir dir;
    std::filesystem::create_directories(dir / "libs");
    dir.write("main.rov", main_needing({"x"}));
    LibraryWriter lib;
    lib.add("XMOD", module_image({.labels = {"x"}, .externals = {"missing"}}).bytes());
    dir.write("libs/UTIL.LIB", lib.bytes());
    std::string libov = (dir / "libs").string();

    RunResult run = run_orvlink(dir.path(), {"main,util,,-."}, "", {{"LIBOV", libov}});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n"
                       "ERROR NO.9: Unresolved label \"missing\" in " + libov + "\\UTIL.LIB\n");
    EXPECT_EQ(run.err, "");
}

TEST(LibraryEndToEnd, MalformedLibraryEndsWithItsPointAndTheBell) {
    TempDir dir;
    dir.write("main.rov", main_needing({"x"}));
    LibraryWriter lib;
    auto module = orvfixture::library_module("XMOD", module_image({.labels = {"x"}}).bytes());
    module.label_count = 0xFFFFFFFF;
    lib.add(module);
    dir.write("util.lib", lib.bytes());

    RunResult run = run_orvlink(dir.path(), {"main,util,,-."});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n"
                       "ERROR NO.6: Internal error at POINT 21.1\n");
    EXPECT_EQ(run.err, "\a");
}

}  // namespace
}  // namespace orv::test
