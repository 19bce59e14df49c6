#include <gtest/gtest.h>

#include "fixture/object_writer.h"
#include "orvobj/object_text.h"

namespace orvobj {
namespace {

using namespace orvfixture;

// An object with every record kind, as the assembler would write one.
Bytes every_record_object() {
    ObjectWriter w;
    w.header("main.src", "1.00", {"UTIL"}, {"RTL", "MATH"});
    w.units({{"P", 0, 0, 0, 0x20}, {"Z", 1, 0, 0, 4}, {"VEC", 0, 1, 0xFFFE, 2}});
    w.labels({{0, {{0x10, "main"}, {0, "start"}}}, {2, {{0xFFFE, "reset"}}}});
    w.symbols({{0x12345678, "BIG"}});
    w.bit_symbols({{0x08, 0x40, "ready"}});
    w.externals({"putc", "with \"quote\""});
    w.relocation(0, {{1, REL_ADDRESS, 2, Expr(unit_term(0, 0), name_term("putc")).then('+', constant_term(2))},
                     {4, REL_BIT_NUMBER, 1, Expr(name_term("ready"), name_term("ready", PREFIX_LOW))},
                     {6, REL_VALUE, 1, Expr(unit_term(0, 0), section_size_term("Z")).then('>', constant_term(1))}});
    w.contents(0, {{0, Bytes(20, 0xEA)}, {0x100, {1, 2, 3}}});
    w.contents(2, {{0xFFFE, {0x00, 0xC0}}});
    w.local_labels(0, {{0x12, "loop"}});
    w.local_symbols({{7, "seven"}});
    w.local_bit_symbols({{0x80, 0x41, "flag"}});
    w.function(1, "main", 0, 0, 0x1F);
    w.call_info(1, {{0x100, 2}});
    w.source_lines(1, {{"main.c", {{10, 0}, {11, 4}}}, {"inc.h", {{3, 8}}}});
    w.language("C");
    w.pointer_length(2);
    w.end();
    return w.bytes();
}

TEST(ObjectText, DumpThenBuildGivesBackEveryByte) {
    Bytes original = every_record_object();
    std::string text = dump_object(original);
    EXPECT_EQ(build_object(text), original) << text;
    EXPECT_EQ(build_object(dump_object(original, true)), original) << "offset comments are ignored";
}

TEST(ObjectText, DumpWritesRecordsByWord) {
    std::string text = dump_object(every_record_object());
    EXPECT_NE(text.find("unit 1 \"Z\" ram relocatable address 0x0000 size 0x0004\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    0x0001 address size 2 = lead unit 0 0x0000 ; name \"putc\" + const 0x00000002\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("bit-number size 1 = lead name \"ready\" ; low name \"ready\"\n"), std::string::npos);
    EXPECT_NE(text.find("section \"Z\" >> const 0x00000001"), std::string::npos);
    EXPECT_NE(text.find("    bit 3 0x0040 \"ready\"\n"), std::string::npos);
    EXPECT_NE(text.find("    \"with \\\"quote\\\"\"\n"), std::string::npos);
}

TEST(ObjectText, BytesThatFormNoRecordSurviveAsBytes) {
    ObjectWriter w;
    w.header();
    w.units({{"P", 0, 0, 0, 1}});
    w.tag(0xF8).n2(0).n4(2).n2(0);  // a data block shorter than its address
    Bytes original = w.bytes();
    std::string text = dump_object(original);
    EXPECT_NE(text.find("bytes F8 00 00 00 00 00 02 00 00\n"), std::string::npos) << text;
    EXPECT_EQ(build_object(text), original);

    Bytes not_an_object = {0x01, 0x02, 0x03};
    EXPECT_EQ(dump_object(not_an_object), "bytes 01 02 03\n");
    EXPECT_EQ(build_object(dump_object(not_an_object)), not_an_object);
}

TEST(ObjectText, ErrorsNameTheirLine) {
    auto line_of = [](const std::string& text) {
        try {
            build_object(text);
        } catch (const TextError& error) {
            return std::to_string(error.line()) + ": " + error.what();
        }
        return std::string("no error");
    };
    EXPECT_EQ(line_of("format \"VER.A\"\n# comment\nwhatever 1\n"), "3: unknown record 'whatever'");
    EXPECT_EQ(line_of("relocation unit 0\n  0x1 address size 2 = lead unit 0 0 ; name \"x\" ? const 1\n"),
              "2: unknown operator '?'");
    EXPECT_EQ(line_of("unit 0 \"P\" rom relocatable address 0x1000000 size 1\n"),
              "1: address out of range: 0x1000000");
    EXPECT_EQ(line_of("symbols\n  5 \"unterminated\n"), "2: unterminated name");
}

}  // namespace
}  // namespace orvobj
