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

namespace orv::test {
namespace {

// Reads every colour the page shows side by side, along each bar and down
// the modules table, and prints each pair of neighbours whose hues a reader
// could take for one, each application module whose hue lies among the
// libraries' hues, and each hue near the red of what does not fit.
const char* const READ_HUES =
    "import sys, colorsys, xml.etree.ElementTree as ET\n"
    "root = ET.parse(sys.argv[1]).getroot()\n"
    "svg, xhtml = '{http://www.w3.org/2000/svg}', '{http://www.w3.org/1999/xhtml}'\n"
    "def hue(rgb):\n"
    "    r, g, b = (int(rgb[i:i + 2], 16) / 255 for i in (1, 3, 5))\n"
    "    return colorsys.rgb_to_hls(r, g, b)[0] * 360\n"
    "def near(a, b):\n"
    "    d = abs(a - b) % 360\n"
    "    return min(d, 360 - d) < 20\n"
    "shown = {}\n"
    "def check(rows, where):\n"
    "    for (m, h), (n, k) in zip(rows, rows[1:]):\n"
    "        if m != n and near(h, k): print(where, 'alike:', m, n, round(h), round(k))\n"
    "    for m, h in rows: shown.setdefault(m, h)\n"
    "for bar in root.iter(svg + 'svg'):\n"
    "    rows = [(g.find(svg + 'title').text.split(', section')[0], hue(g.find(svg + 'rect').get('fill')))\n"
    "            for g in bar.iter(svg + 'g') if 'unit' in g.get('class', '').split()]\n"
    "    check(rows, 'bar')\n"
    "table = [t for t in root.iter(xhtml + 'table') if t.get('class') == 'modules'][0]\n"
    "rows = []\n"
    "for tr in table.iter(xhtml + 'tr'):\n"
    "    cells = list(tr)\n"
    "    if cells[0].tag != xhtml + 'td': continue\n"
    "    name = (cells[2].text + ' ( ' + cells[1].text + ' )') if cells[2].text else cells[1].text\n"
    "    rows.append((name, hue(cells[0].find(xhtml + 'span').get('style').split(': ')[1])))\n"
    "check(rows, 'table')\n"
    "library = [h for m, h in shown.items() if ' ( ' in m]\n"
    "for m, h in shown.items():\n"
    "    if ' ( ' not in m and any(near(h, k) for k in library): print('application in library hues:', m)\n"
    "    if near(h, 0): print('red:', m)\n"
    "print(len(shown), 'modules')\n";

// Thirty application modules with parts of two sections, and a library
// whose twelve modules lie side by side: no two neighbours look alike.
TEST(MemoryMap, NeighbouringModulesHaveHuesApart) {
    TempDir dir;
    std::string files;
    std::vector<std::string> needed;
    orvfixture::LibraryWriter library;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "L" + std::to_string(i);
        library.add(name, region_module({{"P", 0, 0, 0, uint32_t(8 + i)}}, "l" + std::to_string(i)));
        needed.push_back("l" + std::to_string(i));
    }
    dir.write("RTL.LIB", library.bytes());
    for (int i = 0; i < 30; ++i) {
        const std::string name = "M" + std::to_string(i);
        dir.write(name + ".ROV", region_module({{"P", 0, 0, 0, uint32_t(4 + (i * 7) % 23)}, {"DATA", 1, 0, 0, 2}}, "",
                                               i == 0 ? needed : std::vector<std::string>{}));
        files += " " + name;
    }
    RunResult link = run_orvlink(dir.path(), {files + ",RTL,P=C000 DATA=0200,-.", "--memory-map=MAP.XHTML"});
    ASSERT_EQ(link.status, 0) << link.out;
    RunResult hues = run_program("python3", dir.path(), {"-c", READ_HUES, "MAP.XHTML"});
    ASSERT_EQ(hues.status, 0) << hues.err;
    EXPECT_EQ(hues.out, "42 modules\n");
}

}  // namespace
}  // namespace orv::test
