#include <gtest/gtest.h>

#include <string>

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"

namespace orv::test::p2 {
namespace {

using orvfixture::Bytes;
using orvfixture::constant_term;
using orvfixture::Expr;
using orvfixture::LibraryWriter;
using orvfixture::name_term;
using orvfixture::ObjectWriter;

const std::string HEX_END = ":00000001FF\r\n\x1A";

Expr name_of(const std::string& name) { return Expr(constant_term(0), name_term(name)); }
Expr value_of(int32_t value) { return Expr(constant_term(0), constant_term(uint32_t(value))); }

// MAIN.ROV (which requests EXTRA.ROV and REQ.LIB), SUB.ROV, and L.LIB whose
// module LIBFN needs REQ.LIB's REQFN; CONST has no contents.
void write_program(const TempDir& dir) {
    ObjectWriter main_module;
    main_module.header("main.src", "1.00", {"EXTRA"}, {"REQ"})
        .units({{"P", 0, 0, 0, 6}})
        .labels(0, {{0, "start"}})
        .externals({"sub", "K"})
        .relocation(0, {{1, orvfixture::REL_ADDRESS, 2, name_of("sub")},
                        {4, orvfixture::REL_RELATIVE, 1, name_of("start")},
                        {5, orvfixture::REL_VALUE, 1, name_of("K")}})
        .contents(0, {{0, {0x20, 0, 0, 0x80, 0, 0}}})
        .end();
    dir.write("MAIN.ROV", main_module.bytes());

    ObjectWriter sub_module;
    sub_module.header("sub.src")
        .units({{"P", 0, 0, 0, 3}})
        .labels(0, {{0, "sub"}})
        .externals({"lib_fn"})
        .relocation(0, {{1, orvfixture::REL_ADDRESS, 2, name_of("lib_fn")}})
        .contents(0, {{0, {0x20, 0, 0}}})
        .end();
    dir.write("SUB.ROV", sub_module.bytes());

    ObjectWriter extra_module;
    extra_module.header("extra.src").units({{"P", 0, 0, 0, 1}}).contents(0, {{0, {0xE0}}}).end();
    dir.write("EXTRA.ROV", extra_module.bytes());

    ObjectWriter unused, lib_fn, constant, req_fn;
    unused.header("unused.src").units({{"P", 0, 0, 0, 1}}).labels(0, {{0, "unused"}})
        .contents(0, {{0, {0xFF}}}).end();
    lib_fn.header("libfn.src").units({{"P", 0, 0, 0, 3}}).labels(0, {{0, "lib_fn"}}).externals({"req_fn"})
        .relocation(0, {{1, orvfixture::REL_ADDRESS, 2, name_of("req_fn")}})
        .contents(0, {{0, {0x4C, 0, 0}}}).end();
    constant.header("const.src").symbols({{0x42, "K"}}).end();
    req_fn.header("reqfn.src").units({{"P", 0, 0, 0, 1}}).labels(0, {{0, "req_fn"}})
        .contents(0, {{0, {0x60}}}).end();
    LibraryWriter library;
    library.add("UNUSED", unused.bytes()).add("LIBFN", lib_fn.bytes()).add("CONST", constant.bytes());
    dir.write("L.LIB", library.bytes());
    LibraryWriter requested;
    requested.add("REQFN", req_fn.bytes());
    dir.write("REQ.LIB", requested.bytes());
}

TEST(Pass2EndToEnd, ObjectsRequestedFilesAndLibraryModulesMakeOneRelocatedImage) {
    TempDir dir;
    write_program(dir);
    RunResult run = run_orvlink(dir.path(), {"MAIN", "SUB,L,P=1000,-."});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(run.out.ends_with("processing \"MAIN.ROV\"\n"
                                  "processing \"SUB.ROV\"\n"
                                  "processing \"EXTRA.ROV\"\n"
                                  "processing \"L.LIB ( LIBFN )\"\n"
                                  "processing \"L.LIB ( CONST )\"\n"
                                  "processing \"REQ.LIB ( REQFN )\"\n"
                                  "TOTAL ROM SIZE 14 (EH) BYTES\n"
                                  "TOTAL RAM SIZE 0 (0H) BYTES\n"))
        << run.out;
    EXPECT_EQ(dir.read("MAIN.HEX"),
              ":0610000020061080FB42F7\r\n"
              ":03100600200A10AD\r\n"
              ":01100900E006\r\n"
              ":03100A004C0D107A\r\n"
              ":01100D006082\r\n" +
                  HEX_END);
    HexReadback image = read_back_hex(dir / "MAIN.HEX");
    ASSERT_TRUE(image.accepted) << image.messages;
    EXPECT_EQ(image.bytes, Bytes({0x20, 0x06, 0x10, 0x80, 0xFB, 0x42, 0x20, 0x0A, 0x10, 0xE0, 0x4C, 0x0D,
                                  0x10, 0x60}));
}

TEST(Pass2EndToEnd, RangeErrorsAreAllListedAndTheImageIsStillCompleted) {
    TempDir dir;
    ObjectWriter module;
    module.header("main.src")
        .units({{"P", 0, 0, 0, 4}, {"Z", 0, 0, 0, 2}})
        .bit_symbols({{0x08, 0x20, "flag"}})
        .relocation(0, {{0, orvfixture::REL_ZERO_PAGE, 1, value_of(0x100)},
                        {1, orvfixture::REL_VALUE, 1, name_of("flag")},
                        {2, orvfixture::REL_RELATIVE, 1, value_of(0x1083)}})
        .relocation(1, {{1, orvfixture::REL_SPECIAL_PAGE, 1, value_of(0xFE00)}})
        .contents(0, {{0, {0x11, 0x22, 0x33, 0x44}}})
        .contents(1, {{0, {0x55, 0x66}}})
        .end();
    dir.write("MAIN.ROV", module.bytes());
    RunResult run = run_orvlink(dir.path(), {"MAIN,,P=1000,-."});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\n"
              "processing \"MAIN.ROV\"\n"
              "ERROR NO.25: Expression is out of ZERO page.\n"
              "             SECTION=P ADDRESS=1000 OFFSET=0000\n"
              "ERROR NO.27: label \"flag\" type is mismatch.\n"
              "ERROR NO.19: Relative jump is out of range.\n"
              "             SECTION=P ADDRESS=1002 OFFSET=0002\n"
              "ERROR NO.26: Expression is out of SPECIAL page.\n"
              "             SECTION=Z ADDRESS=0001 OFFSET=0001\n"
              "TOTAL ROM SIZE 6 (6H) BYTES\n"
              "TOTAL RAM SIZE 0 (0H) BYTES\n");
    EXPECT_EQ(run.err, "\a");
    EXPECT_EQ(dir.read("MAIN.HEX"), ":041000000020804408\r\n:020000005500A9\r\n" + HEX_END);
    HexReadback image = read_back_hex(dir / "MAIN.HEX");
    EXPECT_TRUE(image.accepted) << image.messages;
}

TEST(Pass2EndToEnd, ATypeMismatchAloneLeavesTheStatusAtZero) {
    TempDir dir;
    ObjectWriter module;
    module.header("main.src")
        .units({{"P", 0, 0, 0, 1}})
        .bit_symbols({{0x01, 0x20, "flag"}})
        .relocation(0, {{0, orvfixture::REL_VALUE, 1, name_of("flag")}})
        .contents(0, {{0, {0x00}}})
        .end();
    dir.write("MAIN.ROV", module.bytes());
    RunResult run = run_orvlink(dir.path(), {"MAIN,,,-."});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("ERROR NO.27: label \"flag\" type is mismatch.\n"), std::string::npos);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dir.read("MAIN.HEX"), ":0100000020DF\r\n" + HEX_END);
}

TEST(Pass2EndToEnd, BankModeImagesCarrySegmentRecords) {
    TempDir dir;
    ObjectWriter module;
    module.header("main.src")
        .units({{"P", 0, 0, 0, 2}, {"HIGH", 0, 1, 0x10000, 2}})
        .labels(1, {{0x10001, "far"}})
        .relocation(0, {{0, orvfixture::REL_VALUE, 2, Expr(constant_term(0), name_term("far", orvfixture::PREFIX_BANK))}})
        .contents(0, {{0, {0, 0}}})
        .contents(1, {{0x10000, {0xAB, 0xCD}}})
        .end();
    dir.write("MAIN.ROV", module.bytes());
    RunResult run = run_orvlink(dir.path(), {"MAIN,,P=0,-BANK -."});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(dir.read("MAIN.HEX"),
              ":020000020000FC\r\n:020000000100FD\r\n"
              ":020000021000EC\r\n:02000000ABCD86\r\n" +
                  HEX_END);
    HexReadback image = read_back_hex(dir / "MAIN.HEX");
    ASSERT_TRUE(image.accepted) << image.messages;
    ASSERT_EQ(image.bytes.size(), 0x10002u);
    EXPECT_EQ(image.bytes[0], 0x01);
    EXPECT_EQ(image.bytes[0x10001], 0xCD);
}

TEST(Pass2EndToEnd, AFieldThatIsNeverPatchedStopsTheLink) {
    TempDir dir;
    ObjectWriter module;
    module.header("main.src")
        .units({{"P", 0, 0, 0, 2}})
        .relocation(0, {{1, orvfixture::REL_VALUE, 1, value_of(1)}, {0, orvfixture::REL_VALUE, 1, value_of(2)}})
        .contents(0, {{0, {0, 0}}})
        .end();
    dir.write("MAIN.ROV", module.bytes());
    RunResult run = run_orvlink(dir.path(), {"MAIN,,,-."});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(run.out.ends_with("ERROR NO.6: Internal error at POINT 26.3\n")) << run.out;
    EXPECT_EQ(run.err, "\a");
}

}  // namespace
}  // namespace orv::test::p2
