#include <gtest/gtest.h>

#include <string>

#include "fixture/library_writer.h"
#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

using orvfixture::LibraryWriter;

const std::string HEX_END = ":00000001FF\r\n\x1A";

// Links MAIN.ROV alone, written from `module`, with the given fields.
RunResult link_main(const TempDir& dir, ObjectWriter& module, const std::string& fields) {
    dir.write("MAIN.ROV", module.end().bytes());
    return run_orvlink(dir.path(), {fields});
}

Bytes read_back(const TempDir& dir) {
    HexReadback image = read_back_hex(dir / "MAIN.HEX");
    EXPECT_TRUE(image.accepted) << image.messages;
    return image.bytes;
}

// MAIN.ROV requests EXTRA.ROV and REQ.LIB; SUB.ROV needs L.LIB's LIBFN,
// which needs REQ.LIB's REQFN and HELPER, which comes before it in L.LIB
// and so is taken in by the second search cycle, after REQFN. L.LIB's CONST
// has no contents.
TEST(Pass2EndToEnd, ObjectsRequestedFilesAndLibraryModulesMakeOneRelocatedImage) {
    TempDir dir;
    ObjectWriter main_module, sub, extra, helper, lib_fn, constant, req_fn;
    main_module.header("main.src", "1.00", {"EXTRA"}, {"REQ"})
        .units({{"P", 0, 0, 0, 6}})
        .labels(0, {{0, "start"}})
        .externals({"sub", "K"})
        .relocation(0, {{1, REL_ADDRESS, 2, e(name_term("sub"))},
                        {4, REL_RELATIVE, 1, e(name_term("start"))},
                        {5, REL_VALUE, 1, e(name_term("K"))}})
        .contents(0, {{0, {0x20, 0, 0, 0x80, 0, 0}}});
    sub.header("sub.src").units({{"P", 0, 0, 0, 3}}).labels(0, {{0, "sub"}}).externals({"lib_fn"})
        .relocation(0, {{1, REL_ADDRESS, 2, e(name_term("lib_fn"))}})
        .contents(0, {{0, {0x20, 0, 0}}});
    extra.header("extra.src").units({{"P", 0, 0, 0, 1}}).contents(0, {{0, {0xE0}}});
    helper.header("helper.src").units({{"P", 0, 0, 0, 1}}).labels(0, {{0, "helper"}})
        .contents(0, {{0, {0x11}}});
    lib_fn.header("libfn.src").units({{"P", 0, 0, 0, 3}}).labels(0, {{0, "lib_fn"}})
        .externals({"req_fn", "helper"})
        .relocation(0, {{1, REL_ADDRESS, 2, e(name_term("req_fn"))}})
        .contents(0, {{0, {0x4C, 0, 0}}});
    constant.header("const.src").symbols({{0x42, "K"}});
    req_fn.header("reqfn.src").units({{"P", 0, 0, 0, 1}}).labels(0, {{0, "req_fn"}})
        .contents(0, {{0, {0x60}}});
    dir.write("MAIN.ROV", main_module.end().bytes());
    dir.write("SUB.ROV", sub.end().bytes());
    dir.write("EXTRA.ROV", extra.end().bytes());
    dir.write("L.LIB", LibraryWriter()
                           .add("HELPER", helper.end().bytes())
                           .add("LIBFN", lib_fn.end().bytes())
                           .add("CONST", constant.end().bytes())
                           .bytes());
    dir.write("REQ.LIB", LibraryWriter().add("REQFN", req_fn.end().bytes()).bytes());

    RunResult run = run_orvlink(dir.path(), {"MAIN", "SUB,L,P=1000,"}, "\n");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(run.err.ends_with("now processing pass 1\nnow processing pass 2\n")) << run.err;
    EXPECT_TRUE(run.out.ends_with("processing \"MAIN.ROV\"\n"
                                  "processing \"SUB.ROV\"\n"
                                  "processing \"EXTRA.ROV\"\n"
                                  "processing \"L.LIB ( LIBFN )\"\n"
                                  "processing \"L.LIB ( CONST )\"\n"
                                  "processing \"L.LIB ( HELPER )\"\n"
                                  "processing \"REQ.LIB ( REQFN )\"\n"
                                  "TOTAL ROM SIZE 15 (FH) BYTES\n"
                                  "TOTAL RAM SIZE 0 (0H) BYTES\n"))
        << run.out;
    EXPECT_EQ(dir.read("MAIN.HEX"),
              ":0610000020061080FB42F7\r\n"
              ":03100600200A10AD\r\n"
              ":01100900E006\r\n"
              ":03100A004C0D107A\r\n"
              ":01100E0011D0\r\n"
              ":01100D006082\r\n" +
                  HEX_END);
    EXPECT_EQ(read_back(dir).size(), 15u);
}

// Every range error is listed with its field, a name of the wrong kind is
// listed without failing anything, and the image is still completed.
// A module's names resolve alike whether it lists a few external names or
// many: USE.ROV references the first and last of DEFS.ROV's 40 labels and
// its own label; MAIN.ROV references two labels of DEFS.ROV.
TEST(Pass2EndToEnd, NamesResolveAlikeInModulesWithFewAndManyExternalNames) {
    TempDir dir;
    std::vector<orvfixture::LabelSpec> labels;
    std::vector<std::string> names;
    for (uint16_t i = 0; i < 40; ++i) {
        names.push_back("x" + std::to_string(i));
        labels.push_back({i, names.back()});
    }
    ObjectWriter defs, use, few;
    defs.header("defs.src").units({{"P", 0, 0, 0, 40}}).labels(0, labels).contents(0, {{0, Bytes(40, 0xEA)}});
    use.header("use.src")
        .units({{"P", 0, 0, 0, 6}})
        .labels(0, {{4, "own"}})
        .externals(names)
        .relocation(0, {{0, REL_ADDRESS, 2, e(name_term("x39"))},
                        {2, REL_ADDRESS, 2, e(name_term("x0"))},
                        {4, REL_ADDRESS, 2, e(name_term("own"))}})
        .contents(0, {{0, Bytes(6, 0)}});
    few.header("few.src")
        .units({{"P", 0, 0, 0, 4}})
        .externals({"x6", "x7"})
        .relocation(0, {{0, REL_ADDRESS, 2, e(name_term("x7"))}, {2, REL_ADDRESS, 2, e(name_term("x6"))}})
        .contents(0, {{0, Bytes(4, 0)}});
    dir.write("DEFS.ROV", defs.end().bytes());
    dir.write("USE.ROV", use.end().bytes());
    dir.write("MAIN.ROV", few.end().bytes());
    RunResult run = run_orvlink(dir.path(), {"MAIN USE DEFS,,P=1000,-."});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const Bytes image = read_back(dir);
    ASSERT_EQ(image.size(), 50u);
    // MAIN at 1000, USE at 1004, DEFS at 100A; fields are little-endian.
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 10),
              (Bytes{0x11, 0x10, 0x10, 0x10, 0x31, 0x10, 0x0A, 0x10, 0x08, 0x10}));
}

TEST(Pass2EndToEnd, RangeErrorsAreAllListedAndTheRunEndsWithStatusOne) {
    TempDir dir;
    ObjectWriter module;
    module.header("main.src")
        .units({{"P", 0, 0, 0, 4}, {"Z", 0, 0, 0, 2}})
        .bit_symbols({{0x08, 0x20, "flag"}})
        .relocation(0, {{0, REL_ZERO_PAGE, 1, e(k(0x100))},
                        {1, REL_VALUE, 1, e(name_term("flag"))},
                        {2, REL_RELATIVE, 1, e(k(0x1083))}})
        .relocation(1, {{1, REL_SPECIAL_PAGE, 1, e(k(0xFE00))}})
        .contents(0, {{0, {0x11, 0x22, 0x33, 0x44}}})
        .contents(1, {{0, {0x55, 0x66}}});
    RunResult run = link_main(dir, module, "MAIN,,P=1000,-.");
    EXPECT_EQ(run.status, 1);
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
    read_back(dir);
}

// A name of the wrong kind is listed but fails nothing; -BANK gives the
// image its segment records.
TEST(Pass2EndToEnd, ABankModeLinkWithATypeMismatchAloneEndsWithStatusZero) {
    TempDir dir;
    ObjectWriter module;
    module.header("main.src")
        .units({{"P", 0, 0, 0, 3}, {"HIGH", 0, 1, 0x10000, 2}})
        .labels(1, {{0x10001, "far"}})
        .bit_symbols({{0x01, 0x20, "flag"}})
        .relocation(0, {{0, REL_VALUE, 2, e(name_term("far", orvfixture::PREFIX_BANK))},
                        {2, REL_VALUE, 1, e(name_term("flag"))}})
        .contents(0, {{0, {0, 0, 0}}})
        .contents(1, {{0x10000, {0xAB, 0xCD}}});
    RunResult run = link_main(dir, module, "MAIN,,P=0,-BANK -.");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\nprocessing \"MAIN.ROV\"\n"
                       "ERROR NO.27: label \"flag\" type is mismatch.\n"
                       "TOTAL ROM SIZE 5 (5H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dir.read("MAIN.HEX"),
              ":020000020000FC\r\n:03000000010020DC\r\n"
              ":020000021000EC\r\n:02000000ABCD86\r\n" +
                  HEX_END);
    EXPECT_EQ(read_back(dir).size(), 0x10002u);
}

}  // namespace
}  // namespace orv::test::p2
