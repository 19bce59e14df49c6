#include <gtest/gtest.h>

#include <string>

#include "orvaddr/address_decoder.h"
#include "orvaddr/symbol_file.h"

// orvaddr's reader of the symbol file and its decoder, on small texts
// written as the linker writes them.
namespace orvaddr {
namespace {

std::string dos(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out + '\x1A';
}

// Unit 1 relocatable at C000 with two functions and their lines, unit 2
// absolute at E000 with a function whose values are addresses, unit 3 a
// library module's RAM, and an absolute unit 4 overlapping unit 1's end.
const std::string SYMBOLS = dos(
    "\n"
    "# LOCAL LABEL 1\n"
    "spin 10  \n"
    "# FUNC 1 first 1 0-7\n"
    "\n"
    "# FUNC 2 two words 1 8-B\n"
    "\n"
    "# SOURCE 1 a.c\n"
    "3 0  4 4  \n"
    "# SOURCE 2 b.h\n"
    "9 8  \n"
    "# LOCAL LABEL 2\n"
    "vec E000  \n"
    "# FUNC 3 handler 2 E002-E003\n"
    "\n"
    "# SOURCE 3 v.c\n"
    "7 E002  \n"
    "# LANGUAGE C 1-2\n"
    "\n"
    "# POINTER 2\n"
    "\n"
    "# SECTION INFORMATION\n"
    "0001 P                 A.ROV             REL   ROM   C000   0014   a.c\n"
    "0003 DATA              RTL.LIB           REL   RAM   0200   0010   r.c\n"
    "                  (BUF)\n"
    "0004 PATCH             A.ROV             ABS   ROM   C012   0004   a.c\n"
    "0002 VEC               A.ROV             ABS   ROM   E000   0004   \n"
    "# GLOBAL LABEL\n"
    "buffer 204  first C000  \n"
    "# GLOBAL SYMBOL\n"
    "SIZE 40  \n"
    "# GLOBAL BIT SYMBOL\n"
    "ready 3 20  ");

TEST(SymbolFileReader, ReadsEveryLineKind) {
    const SymbolFile file = read_symbol_file(SYMBOLS);
    ASSERT_EQ(file.units.size(), 4u);
    EXPECT_EQ(file.units[1].member, "BUF");
    EXPECT_TRUE(file.units[1].ram);
    EXPECT_TRUE(file.units[3].absolute);
    EXPECT_EQ(file.units[3].source, "");
    EXPECT_EQ(file.units[0].source, "a.c");
    ASSERT_EQ(file.functions.size(), 3u);
    EXPECT_EQ(file.functions[1].name, "two words");
    EXPECT_EQ(file.functions[2].start, 0xE002u);
    ASSERT_EQ(file.lines.size(), 4u);
    EXPECT_EQ(file.source_files[file.lines[2].file], "b.h");
    EXPECT_EQ(file.lines[2].line, 9u);
    ASSERT_EQ(file.labels.size(), 4u);
    EXPECT_FALSE(file.labels[0].global);
    EXPECT_EQ(file.labels[0].unit, 1u);
    EXPECT_TRUE(file.labels[3].global);
}

TEST(SymbolFileReader, NamesTheLineOfAFault) {
    auto fault = [](const std::string& text) {
        try {
            read_symbol_file(text);
        } catch (const SymbolFileError& error) {
            return std::string(error.what());
        }
        return std::string("read");
    };
    EXPECT_EQ(fault(dos("\n# SECTION INFORMATION\n# PLACE 3\n")), "line 3: unknown header: # PLACE 3");
    EXPECT_EQ(fault(dos("\n# FUNC 1 f 1 0-G\n# SECTION INFORMATION\n")), "line 2: not a hexadecimal number: G");
    EXPECT_EQ(fault(dos("\n# SOURCE 1 a.c\n3\n")), "line 3: a source-line entry gives a line and an address");
    EXPECT_EQ(fault(dos("\n# SECTION INFORMATION\n0001 P A.ROV REL ROM C000\n")),
              "line 3: a unit line gives number, section, file, REL or ABS, ROM or RAM, start, size and source");
    EXPECT_EQ(fault("\r\n# SECTION INFORMATION\r\n"), "line 0: the file does not end with the byte 1A");
    EXPECT_EQ(fault(dos("\n# GLOBAL LABEL\n")), "line 2: no section information: not a symbol file");
}

TEST(AddressDecoder, FunctionsLinesLabelsAndUnits) {
    const SymbolFile file = read_symbol_file(SYMBOLS);
    const AddressDecoder decoder(file);
    // Between two entries: the earlier one; at an entry: its line.
    EXPECT_EQ(decoded_text(decoder.decode(0xC003)), "C003 first+0x3 a.c:3 A.ROV P+0x3");
    EXPECT_EQ(decoded_text(decoder.decode(0xC004)), "C004 first+0x4 a.c:4 A.ROV P+0x4");
    EXPECT_EQ(decoded_text(decoder.decode(0xC00B)), "C00B two words+0x3 b.h:9 A.ROV P+0xB");
    // Past every function: the local label at or before it names it.
    EXPECT_EQ(decoded_text(decoder.decode(0xC011)), "C011 spin+0x1 b.h:9 A.ROV P+0x11");
    // An absolute unit's values are addresses; before its first line, no line.
    EXPECT_EQ(decoded_text(decoder.decode(0xE003)), "E003 handler+0x1 v.c:7 A.ROV VEC+0x3");
    EXPECT_EQ(decoded_text(decoder.decode(0xE001)), "E001 vec+0x1 ?? A.ROV VEC+0x1");
    // A global label names what no function covers in a unit with no local labels.
    EXPECT_EQ(decoded_text(decoder.decode(0x0205)), "0205 buffer+0x1 ?? RTL.LIB(BUF) DATA+0x5");
    // Overlapping units: the one that starts last and holds the address.
    EXPECT_EQ(decoded_text(decoder.decode(0xC013)), "C013 ?? ?? A.ROV PATCH+0x1");
    EXPECT_EQ(decoded_text(decoder.decode(0xC016)), "C016 ?? ?? ?? ??");
    EXPECT_EQ(decoded_json(decoder.decode(0xE000)),
              "{\"address\":57344,\"function\":null,\"label\":\"vec\",\"offset\":0,\"source_file\":null,"
              "\"line\":null,\"file\":\"A.ROV\",\"library_module\":null,\"section\":\"VEC\",\"unit\":2,"
              "\"unit_offset\":0}");
}

// Names reach the console with their control bytes escaped, and JSON with
// bytes outside printable ASCII as \u00XX.
TEST(AddressDecoder, NamesAreEscapedForTheConsoleAndForJson) {
    const SymbolFile file = read_symbol_file(dos("\n# FUNC 1 a\x1B[2J\x85z 1 0-1\n\n# SECTION INFORMATION\n"
                                                 "0001 P                 A.ROV             REL   ROM   0100   0002   \n"));
    const AddressDecoder decoder(file);
    EXPECT_EQ(decoded_text(decoder.decode(0x101)), "0101 a\\x1B[2J\\x85z+0x1 ?? A.ROV P+0x1");
    EXPECT_NE(decoded_json(decoder.decode(0x101)).find("\"function\":\"a\\u001B[2J\\u0085z\""), std::string::npos);
}

TEST(AddressDecoder, ScanDecodesOnlyWholeWordsInsideUnits) {
    const SymbolFile file = read_symbol_file(SYMBOLS);
    const AddressDecoder decoder(file);
    EXPECT_EQ(scan_text(decoder, "pc=0xc003, C003x C0030 0C003 C003\n"),
              "pc=0xc003 [first+0x3 a.c:3 A.ROV P+0x3], C003x C0030 0C003 [first+0x3 a.c:3 A.ROV P+0x3] "
              "C003 [first+0x3 a.c:3 A.ROV P+0x3]\n");
    EXPECT_EQ(scan_text(decoder, "at 00C003 and 1234"), "at 00C003 and 1234");
    EXPECT_EQ(parse_address("0XfFfF"), 0xFFFFu);
    EXPECT_FALSE(parse_address("0x"));
    EXPECT_FALSE(parse_address("12G4"));
    EXPECT_FALSE(parse_address("123456789"));
}

}  // namespace
}  // namespace orvaddr
