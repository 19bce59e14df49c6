#include <gtest/gtest.h>

#include "fixture/object_writer.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"
#include "tools/tool_objects.h"

// A library made by orvlib, linked by orvlink: the real binaries end to end.
namespace orv::test {
namespace {

using namespace orvfixture;

std::string bytes_of(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// MAIN calls putc; PUTC needs the bit symbol `ready` of FLAGS, which stands
// before it in the library, so FLAGS comes in a second search cycle.
void write_inputs(const TempDir& dir) {
    ObjectWriter main_module;
    main_module.header("main.asm")
        .units({{"P", 0, 0, 0, 3}})
        .labels(0, {{0, "main"}})
        .externals({"putc"})
        .relocation(0, {{1, REL_ADDRESS, 2, Expr(unit_term(0, 0), name_term("putc"))}})
        .contents(0, {{0, {0xBD, 0x00, 0x00}}})
        .end();
    dir.write("main.rov", bytes_of(main_module.bytes()));
    dir.write("flags.rov", bytes_of(flags_module()));
    dir.write("putc.rov", bytes_of(putc_module()));
    dir.write("nothing.rov", bytes_of(silent_module()));
}

TEST(OrvlibLink, TheLinkerTakesModulesFromALibraryThatOrvlibMade) {
    TempDir dir;
    write_inputs(dir);
    RunResult created = run_program(ORVLIB_PATH, dir.path(), {"create", "RTL.LIB", "flags.rov", "putc.rov", "nothing.rov"});
    ASSERT_EQ(created.status, 0) << created.err;

    RunResult linked = run_orvlink(dir.path(), {"MAIN,RTL,P=C000,-. -M"});
    EXPECT_EQ(linked.status, 0) << linked.out;
    EXPECT_EQ(linked.out,
              "processing \"MAIN.ROV\"\n"
              "processing \"Libraries\"\n"
              "processing \"MAIN.ROV\"\n"
              "processing \"RTL.LIB ( PUTC )\"\n"
              "processing \"RTL.LIB ( FLAGS )\"\n"
              "TOTAL ROM SIZE 9 (9H) BYTES\n"
              "TOTAL RAM SIZE 1 (1H) BYTES\n");
    std::string map = dir.read("MAIN.MAP");
    EXPECT_NE(map.find("P                 MAIN.ROV          REL   ROM   C000   0003   \r\n"
                       "                  RTL.LIB           REL   ROM   C003   0004   \r\n"
                       "                  (PUTC)\r\n"),
              std::string::npos)
        << map;

    // main calls putc at C003; putc's operand is the address of `ready` (0);
    // FLAGS' absolute unit holds 12 34 at FFF0.
    HexReadback image = read_back_hex(dir / "MAIN.HEX");
    ASSERT_TRUE(image.accepted) << image.messages;
    ASSERT_EQ(image.bytes.size(), 0xFFF2u - 0xC000u);
    EXPECT_EQ(Bytes(image.bytes.begin(), image.bytes.begin() + 7), (Bytes{0xBD, 0x03, 0xC0, 0x0F, 0x00, 0x39, 0x01}));
    EXPECT_EQ(Bytes(image.bytes.end() - 2, image.bytes.end()), (Bytes{0x12, 0x34}));
}

TEST(OrvlibLink, ExtractedImagesEqualTheObjectsTheLibraryWasMadeOf) {
    TempDir dir;
    write_inputs(dir);
    ASSERT_EQ(run_program(ORVLIB_PATH, dir.path(), {"create", "RTL.LIB", "flags.rov", "putc.rov", "nothing.rov"}).status, 0);
    for (const char* module : {"FLAGS", "PUTC", "NOTHING"}) {
        std::string out = std::string("x_") + module + ".rov";
        RunResult extracted = run_program(ORVLIB_PATH, dir.path(), {"extract", "RTL.LIB", module, "-o", out});
        EXPECT_EQ(extracted.status, 0) << extracted.err;
    }
    EXPECT_EQ(dir.read("x_FLAGS.rov"), dir.read("flags.rov"));
    EXPECT_EQ(dir.read("x_PUTC.rov"), dir.read("putc.rov"));
    EXPECT_EQ(dir.read("x_NOTHING.rov"), dir.read("nothing.rov"));
}

}  // namespace
}  // namespace orv::test
