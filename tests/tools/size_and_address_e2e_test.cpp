#include <gtest/gtest.h>

#include <string>

#include "support/run_linker.h"

// orvsize and orvaddr on the bundled example, built and linked by the script
// that `make demo` runs; python3 reads the symbol file on its own to check them.
namespace orv::test {
namespace {

// The symbol file's lines, and its units as (absolute, start) by number.
const char* const SYM_UNITS =
    "import sys\n"
    "text = open(sys.argv[1], 'rb').read().decode('latin-1').rstrip('\\x1a').split('\\r\\n')\n"
    "units = {}\n"
    "i = text.index('# SECTION INFORMATION') + 1\n"
    "while not text[i].startswith('#'):\n"
    "    w = text[i].split()\n"
    "    if not text[i].startswith(' '): units[int(w[0], 16)] = (w[3] == 'ABS', int(w[5], 16))\n"
    "    i += 1\n";

// The symbol file's functions as python3 reads them, each function
// as "name start size" with the unit's start added for a relocatable unit.
const std::string FUNCTIONS_FROM_SYM = std::string(SYM_UNITS) +
    "for line in text:\n"
    "    if line.startswith('# FUNC '):\n"
    "        n, name, unit, span = line.split()[2:]\n"
    "        start, end = (int(v, 16) for v in span.split('-'))\n"
    "        absolute, base = units[int(unit, 16)]\n"
    "        print(name, start if absolute else base + start, end - start + 1)\n";

// Every source-line entry as "ADDRESS file:line", then the address after it
// (when the next entry of the same function lies further on) with the same line.
const std::string LINES_FROM_SYM = std::string(SYM_UNITS) +
    "funcs = {}\n"
    "for line in text:\n"
    "    if line.startswith('# FUNC '):\n"
    "        w = line.split()\n"
    "        funcs[int(w[2], 16)] = units[int(w[4], 16)]\n"
    "entries, source = [], None\n"
    "for line in text:\n"
    "    if line.startswith('# SOURCE '):\n"
    "        w = line.split(' ', 3); source = (int(w[2], 16), w[3]); continue\n"
    "    if line.startswith('#'): source = None; continue\n"
    "    if source is None: continue\n"
    "    absolute, base = funcs[source[0]]\n"
    "    for entry in line.split('  '):\n"
    "        if entry.strip():\n"
    "            number, address = entry.split()\n"
    "            entries.append((int(address, 16) + (0 if absolute else base), source[1], int(number)))\n"
    "for k, (address, name, number) in enumerate(entries):\n"
    "    print('%04X %s:%d' % (address, name, number))\n"
    "    if k + 1 < len(entries) and entries[k + 1][0] > address + 1:\n"
    "        print('%04X %s:%d' % (address + 1, name, number))\n";

class SizeAndAddress : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        work = new TempDir;
        demo = new RunResult(run_program("bash", work->path(),
                                         {ORV_EXAMPLE_DIR "/build_demo.sh", ORV_TOOLS_DIR, (*work / "demo").string()},
                                         "", {{"SOURCE_DATE_EPOCH", "0"}, {"ORV_TOOL_LAUNCHER", program_launcher()}}));
    }
    static void TearDownTestSuite() {
        delete demo;
        delete work;
    }
    static std::filesystem::path dir() { return *work / "demo"; }
    static RunResult orvsize(const std::vector<std::string>& args) { return run_program(ORVSIZE_PATH, dir(), args); }
    static RunResult orvaddr(const std::vector<std::string>& args, const std::string& input = "") {
        return run_program(ORVADDR_PATH, dir(), args, input);
    }

    static TempDir* work;
    static RunResult* demo;
};

TempDir* SizeAndAddress::work = nullptr;
RunResult* SizeAndAddress::demo = nullptr;

// The report's functions start where the symbol file's unit-relative
// bounds put them: at the unit's start plus the offset in a relocatable
// unit, at the stored value in an absolute one.
TEST_F(SizeAndAddress, ReportFunctionsAgreeWithTheSymbolFile) {
    ASSERT_EQ(demo->status, 0) << demo->out << demo->err;
    RunResult from_sym = run_program("python3", dir(), {"-c", FUNCTIONS_FROM_SYM, "STARTUP.SYM"});
    ASSERT_EQ(from_sym.status, 0) << from_sym.err;
    RunResult from_report = run_program(
        "python3", dir(),
        {"-c", "import json\nfor f in json.load(open('STARTUP.json'))['functions']: print(f['name'], f['start'], f['size'])"});
    ASSERT_EQ(from_report.status, 0) << from_report.err;
    EXPECT_EQ(from_report.out, from_sym.out);
    EXPECT_EQ(from_sym.out, "start 49152 23\nmain 49175 24\ntick 65280 4\nprint 49199 12\ndelay 49211 6\nputc 49217 6\n");
    RunResult rest = run_program(
        "jq", dir(), {"-c", ".version, .libraries, .debug_faults, (.functions[] | select(.name==\"main\"))", "STARTUP.json"});
    EXPECT_EQ(rest.out,
              "2\n[{\"library\":\"RTL.LIB\",\"modules\":3,\"rom\":24,\"ram\":0}]\n[]\n"
              "{\"number\":2,\"name\":\"main\",\"file\":\"MAIN.ROV\",\"library_module\":null,\"section\":\"P\","
              "\"unit\":2,\"start\":49175,\"size\":24,\"source_file\":\"main.asm\",\"line\":20}\n");
}

// The picture of the memory map lists a unit's functions in its tooltip.
TEST_F(SizeAndAddress, MemoryMapTooltipsListTheFunctions) {
    const std::string picture = work->read("demo/STARTUP.xhtml");
    EXPECT_NE(picture.find("<title>MAIN.ROV, section P, C017-C02E, 24 bytes\nmain 24 bytes</title>"), std::string::npos);
    EXPECT_NE(picture.find("<title>MAIN.ROV, section S, FF00-FF03, 4 bytes\ntick 4 bytes</title>"), std::string::npos);
    EXPECT_NE(picture.find("<title>MAIN.ROV, section DATA, 0200-021F, 32 bytes</title>"), std::string::npos);
}

// Every address of every source-line entry decodes to its line, and the
// address after it, short of the next entry, to the same line.
TEST_F(SizeAndAddress, EverySourceLineEntryDecodesToItsLine) {
    RunResult expected = run_program("python3", dir(), {"-c", LINES_FROM_SYM, "STARTUP.SYM"});
    ASSERT_EQ(expected.status, 0) << expected.err;
    std::string addresses, wanted;
    for (std::size_t at = 0; at < expected.out.size();) {
        const std::size_t end = expected.out.find('\n', at);
        const std::string line = expected.out.substr(at, end - at);
        addresses += line.substr(0, 4) + "\n";
        wanted += line + "\n";
        at = end + 1;
    }
    ASSERT_GT(addresses.size(), 20u * 5);
    RunResult decoded = orvaddr({"-e", "STARTUP.SYM"}, addresses);
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    std::string got;
    for (std::size_t at = 0; at < decoded.out.size();) {
        const std::size_t end = decoded.out.find('\n', at);
        const std::string line = decoded.out.substr(at, end - at);
        const std::size_t first = line.find(' '), second = line.find(' ', first + 1),
                          third = line.find(' ', second + 1);
        got += line.substr(0, 4) + " " + line.substr(second + 1, third - second - 1) + "\n";
        at = end + 1;
    }
    EXPECT_EQ(got, wanted);
}

// One line per address; ?? for what is not known; labels name what no
// function covers; --json and --scan; faults of usage and input.
TEST_F(SizeAndAddress, OrvaddrLinesJsonScanAndFaults) {
    EXPECT_EQ(orvaddr({"-e", "STARTUP.SYM", "C020", "0xc02f", "0200", "FFFE", "1234"}).out,
              "C020 main+0x9 main.asm:24 MAIN.ROV P+0x9\n"
              "C02F print+0x0 print.asm:4 RTL.LIB(PRINT) P+0x0\n"
              "0200 buffer+0x0 ?? MAIN.ROV DATA+0x0\n"
              "FFFE ?? ?? STARTUP.ROV VEC+0x2\n"
              "1234 ?? ?? ?? ??\n");
    EXPECT_EQ(orvaddr({"-e", "STARTUP.SYM", "--json", "C03C"}).out,
              "{\"address\":49212,\"function\":\"delay\",\"label\":null,\"offset\":1,\"source_file\":null,"
              "\"line\":null,\"file\":\"RTL.LIB\",\"library_module\":\"DELAY\",\"section\":\"P\",\"unit\":8,"
              "\"unit_offset\":1}\n");
    EXPECT_EQ(orvaddr({"-e", "STARTUP.SYM", "--scan"}, "PC=C020 SP=01FF lr 0xC03B 12345 word C0DE\n").out,
              "PC=C020 [main+0x9 main.asm:24 MAIN.ROV P+0x9] SP=01FF lr 0xC03B [delay+0x0 ?? RTL.LIB(DELAY) P+0x0] "
              "12345 word C0DE\n");

    RunResult bad_address = orvaddr({"-e", "STARTUP.SYM", "C020", "XYZ"});
    EXPECT_EQ(bad_address.status, 2);
    EXPECT_EQ(bad_address.out, "C020 main+0x9 main.asm:24 MAIN.ROV P+0x9\n");
    EXPECT_EQ(bad_address.err, "orvaddr: not a hexadecimal address: XYZ\n");
    RunResult not_sym = orvaddr({"-e", "STARTUP.MAP", "C013"});
    EXPECT_EQ(not_sym.status, 1);
    EXPECT_EQ(not_sym.err, "orvaddr: STARTUP.MAP: not a symbol file: line 2: an entry outside any group\n");
    RunResult missing = orvaddr({"-e", "NONE.SYM", "C013"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "orvaddr: cannot read NONE.SYM\n");
    EXPECT_EQ(orvaddr({"C013"}).status, 2);
    EXPECT_EQ(orvaddr({"--version"}).out, "orvaddr V.4.00.00\n");
}

// Sizes largest first, ties by name; a budget that is exceeded ends with
// status 1 naming the region, its use and its budget.
TEST_F(SizeAndAddress, OrvsizeGroupingsFormatsAndBudgets) {
    RunResult functions = orvsize({"STARTUP.json", "--by=function"});
    EXPECT_EQ(functions.status, 0);
    EXPECT_EQ(functions.out,
              "FUNCTION  MODULE          KIND  BYTES  SHARE\n"
              "main      MAIN.ROV        ROM      24  28.2%\n"
              "start     STARTUP.ROV     ROM      23  27.1%\n"
              "print     RTL.LIB(PRINT)  ROM      12  14.1%\n"
              "delay     RTL.LIB(DELAY)  ROM       6   7.1%\n"
              "putc      RTL.LIB(PUTC)   ROM       6   7.1%\n"
              "tick      MAIN.ROV        ROM       4   4.7%\n"
              "\n"
              "total: ROM 85 bytes, RAM 34 bytes\n");
    EXPECT_EQ(orvsize({"STARTUP.json", "--by=library", "--format=csv"}).out, "LIBRARY,KIND,BYTES,SHARE\nRTL.LIB,ROM,24,28.2%\n");
    RunResult json = orvsize({"STARTUP.json", "--by=section", "--format=json"});
    EXPECT_EQ(run_program("python3", dir(), {"-c", "import json,sys; d=json.load(sys.stdin); print(d['rows'][0])"},
                          json.out)
                  .out,
              "{'name': 'P', 'kind': 'ROM', 'bytes': 71}\n");

    RunResult over = orvsize({"STARTUP.json", "--budget=FLASH:60", "--budget=SRAM:50%"});
    EXPECT_EQ(over.status, 1);
    EXPECT_EQ(over.err, "orvsize: region FLASH uses 77 bytes, over its budget of 60 bytes (60)\n");
    EXPECT_NE(over.out.find("BUDGET  USED  LIMIT   SIZE  STATE\n"
                            "FLASH     77     60  16128  over by 17 bytes\n"
                            "SRAM      32    256    512  fits, 224 bytes left\n"),
              std::string::npos)
        << over.out;
}

// The changes between two reports: unchanged rows hidden unless --all, the
// largest change first, markdown ready for a pull-request comment.
TEST_F(SizeAndAddress, OrvsizeDiffAndBadInput) {
    RunResult grown = run_program(
        "python3", dir(),
        {"-c", "import json\nr = json.load(open('STARTUP.json'))\n"
               "for f in r['functions']:\n    if f['name'] == 'putc': f['size'] += 10\n"
               "r['functions'] = [f for f in r['functions'] if f['name'] != 'tick']\n"
               "r['totals']['rom'] += 10\njson.dump(r, open('GROWN.json', 'w'))"});
    ASSERT_EQ(grown.status, 0) << grown.err;
    EXPECT_EQ(orvsize({"diff", "STARTUP.json", "GROWN.json", "--by=function", "--format=markdown"}).out,
              "**ROM 85 -> 95 bytes (+10, +11.8%)**, **RAM 34 -> 34 bytes (0, 0.0%)**\n"
              "\n"
              "| FUNCTION | MODULE | KIND | OLD | NEW | CHANGE | CHANGE% |\n"
              "| :--- | :--- | :--- | ---: | ---: | ---: | ---: |\n"
              "| putc | RTL.LIB(PUTC) | ROM | 6 | 16 | +10 | +166.7% |\n"
              "| tick | MAIN.ROV | ROM | 4 | 0 | -4 | -100.0% |\n");
    RunResult all = orvsize({"diff", "STARTUP.json", "GROWN.json", "--by=function", "--all", "--format=csv"});
    EXPECT_EQ(all.out.substr(all.out.find('\n') + 1, 40), "putc,RTL.LIB(PUTC),ROM,6,16,+10,+166.7%\n");
    EXPECT_NE(all.out.find("main,MAIN.ROV,ROM,24,24,0,0.0%\n"), std::string::npos);

    work->write("demo/OTHER.json", "{\"format\":\"orvlink link report\",\"version\":1}");
    work->write("demo/PLAIN.json", "[1, 2");
    RunResult other = orvsize({"OTHER.json"});
    EXPECT_EQ(other.status, 3);
    EXPECT_EQ(other.err, "orvsize: OTHER.json: a link report of version 1; this orvsize reads version 2\n");
    RunResult plain = orvsize({"PLAIN.json"});
    EXPECT_EQ(plain.status, 3);
    EXPECT_EQ(plain.err, "orvsize: PLAIN.json: not a link report: not JSON: offset 5: expected ]\n");
    RunResult map = orvsize({"STARTUP.SYM"});
    EXPECT_EQ(map.status, 3);
    RunResult region = orvsize({"diff", "STARTUP.json", "GROWN.json", "--budget=ROM:1"});
    EXPECT_EQ(region.status, 2);
    EXPECT_EQ(region.err, "orvsize: GROWN.json: the report has no region ROM (its regions: ZP, SRAM, FLASH, SPECIAL)\n");
    EXPECT_EQ(orvsize({"STARTUP.json", "--budget=FLASH"}).status, 2);
    EXPECT_EQ(orvsize({"STARTUP.json", "--by=file"}).status, 2);
}

}  // namespace
}  // namespace orv::test
