#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/host_skips.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"

// The bundled example, built and linked by the same script that `make demo`
// runs, with the map file's date fixed.
namespace orv::test {
namespace {

// A text with CR LF line ends and the closing byte 0x1A, as the linker writes it.
std::string dos_text(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result + '\x1A';
}

const char* const EXPECTED_MAP =
    "\n"
    "Orvan Family LINKER V.4.00.00    MAP FILE\t\tThu Jan  1 00:00:00 1970\n"
    "\n"
    "\n"
    "SECTION           FILENAME          ATR.  TYPE  START  LENGTH\n"
    "\n"
    "Z                 MAIN.ROV          REL   RAM   0000   0002   \n"
    "DATA              MAIN.ROV          REL   RAM   0200   0020   \n"
    "P                 STARTUP.ROV       REL   ROM   C000   0017   \n"
    "                  MAIN.ROV          REL   ROM   C017   0018   \n"
    "                  RTL.LIB           REL   ROM   C02F   000C   \n"
    "                  (PRINT)\n"
    "                  RTL.LIB           REL   ROM   C03B   0006   \n"
    "                  (DELAY)\n"
    "                  RTL.LIB           REL   ROM   C041   0006   \n"
    "                  (PUTC)\n"
    "CONST             MAIN.ROV          REL   ROM   C047   0006   \n"
    "S                 MAIN.ROV          REL   ROM   FF00   0004   \n"
    "VEC               STARTUP.ROV       ABS   ROM   FFFC   0004   \n"
    "\n"
    "\n"
    "GLOBAL LABEL INFORMATION\n"
    "\n"
    "__start_DATA    0200   __stop_DATA     0220   buffer          0200   \n"
    "count           0000   delay           C03B   flags           0001   \n"
    "main            C017   print           C02F   putc            C041   \n"
    "start           C000   tick            FF00   \n"
    "\n"
    "GLOBAL SYMBOL INFORMATION\n"
    "\n"
    "PORTA           00F0   STACK_TOP       01FF   \n"
    "\n"
    "GLOBAL BIT SYMBOL INFORMATION\n"
    "\n"
    "LED             0 00F0   TX_READY        7 00F1   \n"
    "\n"
    "TOTAL ROM SIZE 85 (55H) BYTES\n"
    "TOTAL RAM SIZE 34 (22H) BYTES\n"
    "\n"
    "CHECKSUM MODEL    RANGE      PLACE      ORDER  VALUE\n"
    "\n"
    "crc16-ibm-3740    C000-FEFD  FEFE-FEFF  LOW    6439\n";

// Every relocated field checked by hand: the calls and jumps of start-up,
// main and the library modules, the zero-page and special-page operands,
// the bit numbers added into their instruction bytes, and the vectors.
const char* const EXPECTED_HEX =
    ":04FFFC0000FF00C042\n"
    ":10C000008E01FFCE00028C200227056F000820F66B\n"
    ":07C01000BD17C020FE010175\n"
    ":09C01700CE47C0BD2FC07C000B18\n"
    ":0FC02000F0BD3BC020F79601C602C6009D00018F\n"
    ":04FF00007C003B0145\n"
    ":06C0470048454C4C4F007F\n"
    ":01C02F00A66A\n"
    ":0BC03000002706BD41C00820F63901C2\n"
    ":05C03B0086104A26FDFD\n"
    ":01C0400039C6\n"
    ":06C04100EFF1B7F2390136\n"
    ":02FEFE00396465\n"
    ":00000001FF\n";

const char* const EXPECTED_SYM_GLOBALS =
    "# SECTION INFORMATION\n"
    "0003 Z                 MAIN.ROV          REL   RAM   0000   0002   main.asm\n"
    "0004 DATA              MAIN.ROV          REL   RAM   0200   0020   main.asm\n"
    "0001 P                 STARTUP.ROV       REL   ROM   C000   0017   startup.asm\n"
    "0002 P                 MAIN.ROV          REL   ROM   C017   0018   main.asm\n"
    "0007 P                 RTL.LIB           REL   ROM   C02F   000C   print.asm\n"
    "                  (PRINT)\n"
    "0008 P                 RTL.LIB           REL   ROM   C03B   0006   delay.asm\n"
    "                  (DELAY)\n"
    "0009 P                 RTL.LIB           REL   ROM   C041   0006   putc.asm\n"
    "                  (PUTC)\n"
    "0006 CONST             MAIN.ROV          REL   ROM   C047   0006   main.asm\n"
    "0005 S                 MAIN.ROV          REL   ROM   FF00   0004   main.asm\n"
    "0000 VEC               STARTUP.ROV       ABS   ROM   FFFC   0004   startup.asm\n"
    "# GLOBAL LABEL\n"
    "__start_DATA 200  __stop_DATA 220  buffer 200  count 0  delay C03B  flags 1  main C017  print C02F  \n"
    "putc C041  start C000  tick FF00  \n"
    "# GLOBAL SYMBOL\n"
    "PORTA F0  STACK_TOP 1FF  \n"
    "# GLOBAL BIT SYMBOL\n"
    "LED 0 F0  TX_READY 7 F1  ";

class Demo : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        work = new TempDir;
        result = new RunResult(run_program("bash", work->path(),
                                           {ORV_EXAMPLE_DIR "/build_demo.sh", ORV_TOOLS_DIR, (*work / "demo").string()},
                                           "", {{"SOURCE_DATE_EPOCH", "0"}, {"ORV_TOOL_LAUNCHER", program_launcher()}}));
    }
    static void TearDownTestSuite() {
        delete result;
        delete work;
    }
    static std::string file(const std::string& name) { return work->read("demo/" + name); }

    static TempDir* work;
    static RunResult* result;
};

TempDir* Demo::work = nullptr;
RunResult* Demo::result = nullptr;

TEST_F(Demo, LinksWithoutAnyErrorAndPrintsTheConsoleOutputAndTheMap) {
    SKIP_ON_WINDOWS("the linker's two streams keep their order in one pipe through stdbuf, which reaches no Windows program");
    EXPECT_EQ(result->status, 0) << result->out << result->err;
    EXPECT_EQ(result->err, "");
    const std::string& out = result->out;
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
    std::size_t console = out.find("== orvlink STARTUP MAIN,RTL,P=C000 CONST DATA=0200,-MS -S "
                                   "--region=ZP:RAM:0000-00DF --region=SRAM:RAM:0200-03FF "
                                   "--region=FLASH:ROM:C000-FEFF --region=SPECIAL:ROM:FF00-FFFF "
                                   "--print-memory-usage --memory-map=STARTUP.xhtml --link-report=STARTUP.json "
                                   "--section-symbols --checksum=crc16-ibm-3740@C000-FEFD:FEFE --binary=STARTUP.BIN\n");
    ASSERT_NE(console, std::string::npos) << out;
    EXPECT_NE(out.find("processing \"Libraries\"\n"
                       "now processing pass 2\n"
                       "processing \"STARTUP.ROV\"\n"
                       "processing \"MAIN.ROV\"\n"
                       "processing \"RTL.LIB ( PRINT )\"\n"
                       "processing \"RTL.LIB ( DELAY )\"\n"
                       "processing \"RTL.LIB ( PUTC )\"\n"
                       "TOTAL ROM SIZE 85 (55H) BYTES\n"
                       "TOTAL RAM SIZE 34 (22H) BYTES\n"
                       "Memory region         Used Size  Region Size  %age Used\n"
                       "              ZP:          2 B        224 B       0.89%\n"
                       "            SRAM:         32 B        512 B       6.25%\n"
                       "           FLASH:         77 B      16128 B       0.48%\n"
                       "         SPECIAL:          8 B        256 B       3.12%\n"
                       "== STARTUP.MAP\n",
                       console),
              std::string::npos)
        << out;
    std::string map = EXPECTED_MAP;
    EXPECT_NE(out.find("== STARTUP.MAP\n" + map), std::string::npos) << out;
    EXPECT_NE(out.find("module MUL8: image"), std::string::npos) << "the library's listing is shown";
}

TEST_F(Demo, LeavesTheHexMapAndSymbolFiles) {
    EXPECT_EQ(file("STARTUP.MAP"), dos_text(EXPECTED_MAP));
    EXPECT_EQ(file("STARTUP.HEX"), dos_text(EXPECTED_HEX));
    std::string sym = file("STARTUP.SYM");
    std::string globals = dos_text(EXPECTED_SYM_GLOBALS);
    ASSERT_GE(sym.size(), globals.size());
    EXPECT_EQ(sym.substr(sym.size() - globals.size()), globals);
    // Every module of the program carries debug records.
    for (const char* local : {"\r\n# FUNC 1 start 1 0-16\r\n", "\r\n# LOCAL LABEL 1\r\nclear 6  done 10  halt 13  \r\n", "\r\n# LOCAL LABEL 2\r\nblink 6  \r\n",
                              "\r\n# FUNC 3 tick 5 0-3\r\n", "\r\n# SOURCE 4 print.asm\r\n4 0  5 2  6 4  8 A  \r\n",
                              "\r\n# FUNC 5 delay 8 0-5\r\n", "\r\n# SOURCE 6 putc.asm\r\n5 0  6 2  \r\n"}) {
        EXPECT_NE(sym.find(local), std::string::npos) << local;
    }
}

// The picture of the memory map draws each of the ten units once, in a page
// that parses as XML.
TEST_F(Demo, LeavesThePictureOfTheMemoryMap) {
    RunResult units = run_program("python3", work->path() / "demo",
                                  {"-c",
                                   "import xml.etree.ElementTree as ET\n"
                                   "root = ET.parse('STARTUP.xhtml').getroot()\n"
                                   "print(sorted(g.get('id') for g in root.iter('{http://www.w3.org/2000/svg}g')"
                                   " if 'unit' in g.get('class', '').split()))\n"});
    EXPECT_EQ(units.status, 0) << units.err;
    EXPECT_EQ(units.out, "['unit-0', 'unit-1', 'unit-2', 'unit-3', 'unit-4', 'unit-5', 'unit-6', 'unit-7', 'unit-8', "
                         "'unit-9']\n");
}

TEST_F(Demo, TheHexFileIsReadByObjcopy) {
    HexReadback image = read_back_hex(work->path() / "demo" / "STARTUP.HEX");
    ASSERT_TRUE(image.accepted) << image.messages;
    // From C000 (the lowest address) to FFFF: start-up clears DATA from
    // 0200 up to 0220, calls main at C017, and the vectors point to tick
    // (FF00) and start (C000).
    ASSERT_EQ(image.bytes.size(), 0x10000u - 0xC000u);
    struct Field {
        uint32_t address;
        std::vector<uint8_t> bytes;
    };
    const Field fields[] = {
        {0xC003, {0xCE, 0x00, 0x02}},  // LDX #__start_DATA
        {0xC006, {0x8C, 0x20, 0x02}},  // CPX #__stop_DATA
        {0xC010, {0xBD, 0x17, 0xC0}},  // JSR main
        {0xFFFC, {0x00, 0xFF, 0x00, 0xC0}},
    };
    for (const Field& field : fields) {
        const std::vector<uint8_t> found(image.bytes.begin() + (field.address - 0xC000),
                                         image.bytes.begin() + (field.address - 0xC000 + field.bytes.size()));
        EXPECT_EQ(found, field.bytes) << std::hex << field.address;
    }
}

// The flash image spans C000 to FFFF, erased where nothing is written, and
// its last two flash bytes hold the CRC-16 (CCITT-FALSE) of the flash before
// them, as Python's own CRC routine computes it from the HEX file.
TEST_F(Demo, TheFlashImageCarriesTheCrcOfTheFlash) {
    ASSERT_TRUE(work->exists("demo/STARTUP.BIN"));
    ASSERT_TRUE(run_program("objcopy", work->path() / "demo",
                            {"-I", "ihex", "-O", "binary", "--gap-fill=0xFF", "STARTUP.HEX", "FROM_HEX.BIN"})
                    .status == 0);
    EXPECT_EQ(file("STARTUP.BIN"), file("FROM_HEX.BIN"));
    RunResult crc = run_program("python3", work->path() / "demo",
                                {"-c",
                                 "import binascii\n"
                                 "d = open('FROM_HEX.BIN', 'rb').read()\n"
                                 "print(len(d), binascii.crc_hqx(d[:0x3EFE], 0xFFFF) == int.from_bytes(d[0x3EFE:0x3F00], 'little'))\n"});
    EXPECT_EQ(crc.out, "16384 True\n") << crc.err;
}

// print needs putc, which stands before it in the library: the first search
// cycle takes print and delay, the second one putc, passing over the two
// modules already taken without reading their index. The names left to
// --section-symbols need no third cycle: every entry not taken in was
// offered them in the second.
TEST_F(Demo, TheLibraryChainTakesTwoSearchCycles) {
    RunResult trace = run_orvlink(work->path() / "demo", {"--section-symbols", "STARTUP",
                                                          "MAIN,RTL,P=C000 CONST DATA=0200,-. -DEBUG"});
    ASSERT_EQ(trace.status, 0) << trace.out;
    std::size_t second = trace.out.find("now red_l_head()", trace.out.find("now red_l_head()") + 1);
    ASSERT_NE(second, std::string::npos) << trace.out;
    EXPECT_EQ(trace.out.find("now red_l_head()", second + 1), std::string::npos) << "no third cycle";
    std::string cycle = trace.out.substr(second, trace.out.find("processing", second) - second);
    auto count = [&](const std::string& line) {
        std::size_t n = 0;
        for (std::size_t at = cycle.find(line); at != std::string::npos; at = cycle.find(line, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("now red_l_tbl()"), 6u) << cycle;
    EXPECT_EQ(count("now red_l_pub()"), 4u) << cycle;
}

}  // namespace
}  // namespace orv::test
