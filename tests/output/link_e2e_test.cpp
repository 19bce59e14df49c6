#include <gtest/gtest.h>

#include <string>

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using namespace orvfixture;

// MAIN.ROV, SEVENTEEN_CHR.ROV and UTIL.LIB with the module PUTC that MAIN
// calls: a section of three modules, a RAM section, an absolute section with
// an 18-character name, names of every kind in every case, and debug
// records of every kind.
void write_program(const TempDir& dir) {
    ObjectWriter main_module;
    main_module.header("main.src")
        .units({{"CODE", 0, 0, 0, 4}, {"DATA", 1, 0, 0, 2}, {"VECTORS_AND_TABLES", 0, 1, 0xFFFE, 2}})
        .labels({{0, {{0, "main"}, {2, "_start"}}}, {2, {{0xFFFE, "reset"}}}})
        .symbols({{0x40, "SIZE"}, {0x1234, "LONG_SYMBOL_NAME_X"}, {0xFFFFFFFF, "limit"}})
        .bit_symbols({{0x08, 0x20, "ready"}})
        .externals({"putc"})
        .contents(0, {{0, {0x01, 0x02, 0x03, 0x04}}})
        .local_labels(0, {{2, "loop"}})
        .local_symbols({{7, "COUNT"}})
        .local_bit_symbols({{0x80, 0x21, "busy"}})
        .function(1, "main", 0, 0, 3)
        .call_info(1, {{0x10, 1}})
        .source_lines(1, {{"main.c", {{5, 0}, {6, 2}}}})
        .language("C")
        .pointer_length(2)
        .end();
    dir.write("MAIN.ROV", main_module.bytes());

    ObjectWriter sub_module;
    sub_module.header("sub.src")
        .units({{"CODE", 0, 0, 0, 2}})
        .labels(0, {{0, "Sub"}})
        .contents(0, {{0, {0x05, 0x06}}})
        .function(1, "sub", 0, 0, 1)
        .call_info(1, {{0x20, 2}})
        .pointer_length(3)
        .end();
    dir.write("SEVENTEEN_CHR.ROV", sub_module.bytes());

    ObjectWriter putc_module;
    putc_module.header("putc.src")
        .units({{"CODE", 0, 0, 0, 3}})
        .labels(0, {{0, "putc"}})
        .contents(0, {{0, {0x07, 0x08, 0x09}}})
        .function(1, "putc", 0, 0, 2)
        .end();
    LibraryWriter library;
    library.add("PUTC", putc_module.bytes());
    dir.write("UTIL.LIB", library.bytes());
}

TEST(LinkEndToEnd, MapAndSymbolFilesOfAWholeLink) {
    TempDir dir;
    write_program(dir);
    RunResult run = run_orvlink(dir.path(), {"MAIN", "SEVENTEEN_CHR,UTIL,CODE=C000", "DATA,-MS", "-S", "-."}, "",
                                {{"SOURCE_DATE_EPOCH", "1700000000"}});
    // The pointer lengths 2 and 3 are reported once, without a bell and
    // without failing the link.
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\n"
              "processing \"SEVENTEEN_CHR.ROV\"\n"
              "processing \"Libraries\"\n"
              "processing \"MAIN.ROV\"\n"
              "processing \"SEVENTEEN_CHR.ROV\"\n"
              "ERROR NO.24: Pointer length mismatch\n"
              "processing \"UTIL.LIB ( PUTC )\"\n"
              "TOTAL ROM SIZE 11 (BH) BYTES\n"
              "TOTAL RAM SIZE 2 (2H) BYTES\n");
    EXPECT_TRUE(dir.read("MAIN.HEX").ends_with(":00000001FF\r\n\x1A"));
    // Sections by address, the section name on a section's first line only,
    // names of 17 characters followed by one blank and longer ones shifting
    // the line; names sorted by byte value, three to a line.
    EXPECT_EQ(dir.read("MAIN.MAP"),
              "\r\n"
              "Orvan Family LINKER V.4.00.00    MAP FILE\t\tTue Nov 14 22:13:20 2023\r\n"
              "\r\n"
              "\r\n"
              "SECTION           FILENAME          ATR.  TYPE  START  LENGTH\r\n"
              "\r\n"
              "CODE              MAIN.ROV          REL   ROM   C000   0004   \r\n"
              "                  SEVENTEEN_CHR.ROV REL   ROM   C004   0002   \r\n"
              "                  UTIL.LIB          REL   ROM   C006   0003   \r\n"
              "                  (PUTC)\r\n"
              "DATA              MAIN.ROV          REL   RAM   C009   0002   \r\n"
              "VECTORS_AND_TABLES MAIN.ROV          ABS   ROM   FFFE   0002   \r\n"
              "\r\n"
              "\r\n"
              "GLOBAL LABEL INFORMATION\r\n"
              "\r\n"
              "Sub             C004   _start          C002   main            C000   \r\n"
              "putc            C006   reset           FFFE   \r\n"
              "\r\n"
              "GLOBAL SYMBOL INFORMATION\r\n"
              "\r\n"
              "LONG_SYMBOL_NAME_X 1234   SIZE            0040   limit           FFFFFFFF   \r\n"
              "\r\n"
              "\r\n"
              "GLOBAL BIT SYMBOL INFORMATION\r\n"
              "\r\n"
              "ready           3 0020   \r\n"
              "\r\n"
              "TOTAL ROM SIZE 11 (BH) BYTES\r\n"
              "TOTAL RAM SIZE 2 (2H) BYTES\r\n"
              "\x1A");
    // Function numbers run on across modules, in calls too.
    EXPECT_EQ(dir.read("MAIN.SYM"),
              "\r\n"
              "# LOCAL LABEL 0\r\n"
              "loop 2  \r\n"
              "# LOCAL SYMBOL 0-2\r\n"
              "COUNT 7  \r\n"
              "# LOCAL BIT SYMBOL 0-2\r\n"
              "busy 7 21  \r\n"
              "# FUNC 1 main 0 0-3\r\n"
              "\r\n"
              "# CALL 1\r\n"
              "10 1  \r\n"
              "# SOURCE 1 main.c\r\n"
              "5 0  6 2  \r\n"
              "# LANGUAGE C 0-2\r\n"
              "\r\n"
              "# POINTER 2\r\n"
              "\r\n"
              "# FUNC 2 sub 3 0-1\r\n"
              "\r\n"
              "# CALL 2\r\n"
              "20 2  \r\n"
              "# POINTER 3\r\n"
              "\r\n"
              "# FUNC 3 putc 4 0-2\r\n"
              "\r\n"
              "# SECTION INFORMATION\r\n"
              "0000 CODE              MAIN.ROV          REL   ROM   C000   0004   main.src\r\n"
              "0003 CODE              SEVENTEEN_CHR.ROV REL   ROM   C004   0002   sub.src\r\n"
              "0004 CODE              UTIL.LIB          REL   ROM   C006   0003   putc.src\r\n"
              "                  (PUTC)\r\n"
              "0001 DATA              MAIN.ROV          REL   RAM   C009   0002   main.src\r\n"
              "0002 VECTORS_AND_TABLES MAIN.ROV          ABS   ROM   FFFE   0002   main.src\r\n"
              "# GLOBAL LABEL\r\n"
              "Sub C004  _start C002  main C000  putc C006  reset FFFE  \r\n"
              "# GLOBAL SYMBOL\r\n"
              "LONG_SYMBOL_NAME_X 1234  SIZE 40  limit FFFFFFFF  \r\n"
              "# GLOBAL BIT SYMBOL\r\n"
              "ready 3 20  \x1A");
}

}  // namespace
}  // namespace orv::test
