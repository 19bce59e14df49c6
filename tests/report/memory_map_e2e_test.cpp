#include <gtest/gtest.h>

#include <string>

#include "support/host_skips.h"
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
    SKIP_ON_WINDOWS("reads the picture with python3");
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

}  // namespace
}  // namespace orv::test
