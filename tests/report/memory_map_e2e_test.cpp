#include <gtest/gtest.h>

#include <string>

#include "report/report_program.h"

namespace orv::test {
namespace {

// Parses the page as XML and lists what a reader of the picture relies on:
// every unit block with its tooltip, the region outlines, and anything that
// would reach outside the file (scripts, links, external references).
const char* const READ_PICTURE =
    "import sys, xml.etree.ElementTree as ET\n"
    "root = ET.parse(sys.argv[1]).getroot()\n"
    "svg = '{http://www.w3.org/2000/svg}'\n"
    "for g in root.iter(svg + 'g'):\n"
    "    if 'unit' in g.get('class', '').split():\n"
    "        rect = g.find(svg + 'rect')\n"
    "        print('unit', g.get('id'), rect.get('style'), g.find(svg + 'title').text)\n"
    "print('regions', sum(1 for r in root.iter(svg + 'rect') if r.get('class') == 'region'))\n"
    "for e in root.iter():\n"
    "    if e.tag.endswith('script') or e.tag.endswith('link') or e.tag.endswith('img'):\n"
    "        print('external element', e.tag)\n"
    "    for k, v in e.attrib.items():\n"
    "        if ('http' in v or 'url(' in v) and not v.startswith('url(#'):\n"
    "            print('external reference', k, v)\n";

// Every unit is drawn once, with its module, section, start, end and size in
// its tooltip; what does not fit its region is outlined in red; the page is
// well-formed XML and refers to nothing outside itself.
TEST(MemoryMap, EveryUnitIsDrawnWithItsTooltipAndThePageStandsAlone) {
    TempDir dir;
    write_report_program(dir);
    RunResult link = run_orvlink(dir.path(), {"MAIN,UTIL,P=C000 DATA=0200,-. -BANK " + std::string(REPORT_REGIONS),
                                              "--memory-map=MAP.XHTML"});
    ASSERT_EQ(link.status, 1) << link.out;
    RunResult picture = run_program("python3", dir.path(), {"-c", READ_PICTURE, "MAP.XHTML"});
    ASSERT_EQ(picture.status, 0) << picture.err;
    EXPECT_EQ(picture.out,
              "unit unit-1 None MAIN.ROV, section DATA, 00200-00201, 2 bytes\n"
              "unit unit-0 None MAIN.ROV, section P, 0C000-0C003, 4 bytes\n"
              "unit unit-3 stroke: #D00000; stroke-width: 2.5px UTIL.LIB ( PUTC ), section P, 0C004-0C006, 3 bytes; "
              "does not fit its region\n"
              "unit unit-2 None MAIN.ROV, section VEC, 0FFFE-0FFFF, 2 bytes\n"
              "regions 3\n");
    const std::string page = dir.read("MAP.XHTML");
    EXPECT_TRUE(page.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n")) << page.substr(0, 80);
    EXPECT_NE(page.find("<h2>Bank 1: 10000-1FFFF</h2>"), std::string::npos);
    EXPECT_NE(page.find("<td>FLASH</td><td>ROM</td><td class=\"address\">0C000</td><td class=\"address\">0C005</td>"
                        "<td class=\"number\">6</td><td class=\"number\">7</td>"),
              std::string::npos);
}

// The fill and each checksum's bytes are marked, in the bar to scale and
// among the blocks, and listed in a table; a page without the image options
// has none of it.
TEST(MemoryMap, MarksTheFilledAddressesAndTheChecksumBytes) {
    TempDir dir;
    write_report_program(dir);
    const char* const read_marks =
        "import sys, xml.etree.ElementTree as ET\n"
        "root = ET.parse(sys.argv[1]).getroot()\n"
        "svg = '{http://www.w3.org/2000/svg}'\n"
        "for r in root.iter(svg + 'rect'):\n"
        "    if r.get('class') in ('overview-fill', 'overview-checksum'):\n"
        "        print(r.get('class'), r.find(svg + 'title').text)\n"
        "    elif r.get('class') in ('fill', 'checksum'):\n"
        "        print(r.get('class'))\n"
        "for row in root.iter('{http://www.w3.org/1999/xhtml}tr'):\n"
        "    cells = [td.text for td in row if td.tag.endswith('td')]\n"
        "    if cells and cells[0] and (cells[0] == 'fill' or ' over ' in cells[0]): print(cells)\n";
    RunResult link = run_orvlink(dir.path(), {"MAIN,UTIL,P=C000 DATA=0200,-.", "--memory-map=MAP.XHTML",
                                              "--fill=00@C000-C00F", "--checksum=crc16-xmodem@C000-C00F:C010"});
    ASSERT_EQ(link.status, 0) << link.out;
    RunResult marks = run_program("python3", dir.path(), {"-c", read_marks, "MAP.XHTML"});
    ASSERT_EQ(marks.status, 0) << marks.err;
    const std::string crc = marks.out.substr(marks.out.rfind("'C011', '") + 9, 4);
    EXPECT_EQ(marks.out, "overview-fill filled with 00: C000-C00F\n"
                         "overview-checksum checksum crc16-xmodem over C000-C00F at C010-C011\n"
                         "fill\nchecksum\n"
                         "['fill', 'C000', 'C00F', '00']\n"
                         "['crc16-xmodem over C000-C00F', 'C010', 'C011', '" + crc + "']\n");

    link = run_orvlink(dir.path(), {"MAIN,UTIL,P=C000 DATA=0200,-.", "--memory-map=MAP.XHTML"});
    ASSERT_EQ(link.status, 0) << link.out;
    marks = run_program("python3", dir.path(), {"-c", read_marks, "MAP.XHTML"});
    EXPECT_EQ(marks.out, "");
    EXPECT_EQ(dir.read("MAP.XHTML").find("Flash image"), std::string::npos);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// Without --region there is no region to miss: no unit is drawn red, and the
// link report says every unit fits.
TEST(MemoryMap, WithoutRegionsEveryUnitFits) {
    TempDir dir;
    write_report_program(dir);
    RunResult link = run_orvlink(dir.path(), {"MAIN,UTIL,P=C000 DATA=0200,-. -BANK", "--memory-map=MAP.XHTML",
                                              "--link-report=R.JSON"});
    ASSERT_EQ(link.status, 0) << link.out;
    RunResult picture = run_program("python3", dir.path(), {"-c", READ_PICTURE, "MAP.XHTML"});
    ASSERT_EQ(picture.status, 0) << picture.err;
    EXPECT_EQ(picture.out,
              "unit unit-1 None MAIN.ROV, section DATA, 00200-00201, 2 bytes\n"
              "unit unit-0 None MAIN.ROV, section P, 0C000-0C003, 4 bytes\n"
              "unit unit-3 None UTIL.LIB ( PUTC ), section P, 0C004-0C006, 3 bytes\n"
              "unit unit-2 None MAIN.ROV, section VEC, 0FFFE-0FFFF, 2 bytes\n"
              "regions 0\n");
    RunResult fits = run_program("python3", dir.path(),
                                 {"-c", "import json; r = json.load(open('R.JSON'));"
                                        "print(sorted({u['fits'] for u in r['units']}))"});
    EXPECT_EQ(fits.out, "[True]\n") << fits.err;
}

}  // namespace
}  // namespace orv::test
