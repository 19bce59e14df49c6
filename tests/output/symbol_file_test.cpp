#include <gtest/gtest.h>

#include <string>

#include "fixture/object_writer.h"
#include "output/symbol_file.h"
#include "placement/link_bench.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using orvfixture::ObjectWriter;

// A link whose symbol file is open in a fresh directory, with one section
// of `units` units so that unit numbers exist.
class SymbolFileBench {
public:
    explicit SymbolFileBench(int units = 1) {
        bench.ctx.options.opt_sym = 1;
        for (int i = 0; i < units; ++i) bench.unit("CODE", 0);
    }

    // Places the program and creates the output files.
    void start() {
        ASSERT_EQ(bench.place(), 0);
        ASSERT_EQ(bench.open_outputs(dir.path().string()), 0);
    }

    // Runs the symbol-file step of pass 2 over the debug part of one module,
    // as pass 2 leaves it: its first tag read ahead.
    int module(const ObjectWriter& debug, int32_t unit_base, int32_t last_unit) {
        std::string name = "M" + std::to_string(modules_++) + ".ROV";
        dir.write(name, debug.bytes());
        return bench.run([&] {
            auto file = BinaryInput::open((dir / name).string());
            bench.ctx.reader.unit_base = unit_base;
            bench.ctx.reader.next_tag = file->get();
            write_local_symbols(bench.ctx, *file, last_unit);
        });
    }

    // What the file holds after the finish.
    std::string finished() {
        EXPECT_EQ(bench.finish_link(), 0);
        return dir.read("PROG.SYM");
    }

    // The local part alone, written so far.
    std::string local_part() {
        bench.ctx.output.sym_file->close();
        bench.ctx.output.sym_file.reset();
        return dir.read("PROG.SYM");
    }

    TempDir dir;
    LinkBench bench;

private:
    int modules_ = 0;
};

TEST(SymbolFile, WithoutDebugRecordsTheFileStartsWithTheSectionInformation) {
    SymbolFileBench sym;
    // The symbol file keeps four digits in the bank layout.
    sym.bench.ctx.options.bank_mode = 1;
    sym.bench.ctx.options.max_address = 0x1FFFF;
    sym.start();
    ASSERT_EQ(sym.module(ObjectWriter().end(), 0, 0), 0);
    EXPECT_EQ(sym.finished(),
              "\r\n"
              "# SECTION INFORMATION\r\n"
              "0000 CODE              A.ROV             REL   ROM   0000   0000   a.src\r\n"
              "# GLOBAL LABEL\r\n"
              "\r\n"
              "# GLOBAL SYMBOL\r\n"
              "\r\n"
              "# GLOBAL BIT SYMBOL\r\n"
              "\x1A");
}

TEST(SymbolFile, EightEntriesToALineAndExactlyEightEndTheLine) {
    SymbolFileBench sym(4);
    sym.start();
    std::vector<orvfixture::LabelSpec> eight, nine;
    for (uint32_t i = 0; i < 9; ++i) {
        orvfixture::LabelSpec label{i, "l" + std::to_string(i)};
        if (i < 8) eight.push_back(label);
        nine.push_back(label);
    }
    ObjectWriter debug;
    debug.local_labels(0, eight).local_labels(1, nine).local_symbols({{0, "zero"}}).end();
    ASSERT_EQ(sym.module(debug, 2, 3), 0);
    EXPECT_EQ(sym.local_part(),
              "\r\n"
              "# LOCAL LABEL 2\r\n"
              "l0 0  l1 1  l2 2  l3 3  l4 4  l5 5  l6 6  l7 7  \r\n"
              "\r\n"
              "# LOCAL LABEL 3\r\n"
              "l0 0  l1 1  l2 2  l3 3  l4 4  l5 5  l6 6  l7 7  \r\n"
              "l8 8  \r\n"
              "# LOCAL SYMBOL 2-3\r\n"
              "zero 0  ");
}

TEST(SymbolFile, SourceLineCountRunsOnAcrossTheBlocksOfOneRecord) {
    SymbolFileBench sym;
    sym.start();
    std::vector<orvfixture::LineSpec> five;
    for (uint16_t i = 1; i <= 5; ++i) five.push_back({i, i});
    ObjectWriter debug;
    debug.source_lines(1, {{"a.c", five}, {"b.h", five}}).call_info(1, {{1, 1}}).end();
    ASSERT_EQ(sym.module(debug, 0, 0), 0);
    EXPECT_EQ(sym.local_part(),
              "\r\n"
              "# SOURCE 1 a.c\r\n"
              "1 1  2 2  3 3  4 4  5 5  \r\n"
              "# SOURCE 1 b.h\r\n"
              "1 1  2 2  3 3  \r\n"
              "4 4  5 5  \r\n"
              "# CALL 1\r\n"
              "1 1  ");
}

TEST(SymbolFile, FunctionNumbersRunOnAcrossModules) {
    SymbolFileBench sym(2);
    sym.start();
    ObjectWriter a;
    a.function(1, "f", 0, 0, 1).function(2, "g", 0, 2, 3).end();
    ObjectWriter b;
    b.function(1, "h", 0, 0, 1).call_info(1, {{7, 1}}).source_lines(1, {{"h.c", {{4, 0}}}}).end();
    ObjectWriter c;  // no function of its own: later numbers still follow b's
    c.call_info(1, {{8, 1}}).end();
    ASSERT_EQ(sym.module(a, 0, 0), 0);
    ASSERT_EQ(sym.module(b, 1, 1), 0);
    ASSERT_EQ(sym.module(c, 1, 1), 0);
    EXPECT_EQ(sym.local_part(),
              "\r\n"
              "# FUNC 1 f 0 0-1\r\n"
              "\r\n"
              "# FUNC 2 g 0 2-3\r\n"
              "\r\n"
              "# FUNC 3 h 1 0-1\r\n"
              "\r\n"
              "# CALL 3\r\n"
              "7 1  \r\n"
              "# SOURCE 3 h.c\r\n"
              "4 0  \r\n"
              "# CALL 4\r\n"
              "8 1  ");
}

TEST(SymbolFile, PointerLengthMismatchIsReportedOnceWithoutFailingTheLink) {
    SymbolFileBench sym(2);
    sym.start();
    ASSERT_EQ(sym.module(ObjectWriter().pointer_length(2).end(), 0, 0), 0);
    ASSERT_EQ(sym.module(ObjectWriter().pointer_length(3).end(), 1, 1), 0);
    EXPECT_EQ(sym.bench.out(), "ERROR NO.24: Pointer length mismatch\n");
    EXPECT_EQ(sym.bench.ctx.link_failed, 0);
    EXPECT_EQ(sym.bench.err(), "");
    std::string file = sym.finished();
    EXPECT_TRUE(file.starts_with("\r\n# POINTER 2\r\n\r\n# POINTER 3\r\n\r\n# SECTION INFORMATION\r\n")) << file;
    EXPECT_EQ(sym.bench.out(),
              "ERROR NO.24: Pointer length mismatch\n"
              "TOTAL ROM SIZE 0 (0H) BYTES\nTOTAL RAM SIZE 0 (0H) BYTES\n");
}

TEST(SymbolFile, BadBitMaskIsPoint34_5AndUnknownTagPoint35) {
    {
        SymbolFileBench sym;
        sym.start();
        EXPECT_EQ(sym.module(ObjectWriter().local_bit_symbols({{0x03, 0x40, "two"}}).end(), 0, 0), 4);
        EXPECT_EQ(sym.bench.out(), "ERROR NO.6: Internal error at POINT 34.5\n");
    }
    {
        SymbolFileBench sym;
        sym.start();
        EXPECT_EQ(sym.module(ObjectWriter().language("C").tag(0xF8).end(), 0, 0), 4);
        EXPECT_EQ(sym.bench.out(), "ERROR NO.6: Internal error at POINT 35\n");
    }
    {
        SymbolFileBench sym;
        sym.start();
        EXPECT_EQ(sym.module(ObjectWriter().language("C"), 0, 0), 4) << "a module without its end tag";
        EXPECT_EQ(sym.bench.out(), "ERROR NO.6: Internal error at POINT 35\n");
    }
    {
        SymbolFileBench sym;
        sym.start();
        ObjectWriter cut;
        cut.tag(0xF9).n2(0).n3(4);
        EXPECT_EQ(sym.module(cut, 0, 0), 4);
        EXPECT_EQ(sym.bench.out(), "ERROR NO.6: Internal error at POINT 10\n");
    }
}

}  // namespace
}  // namespace orv::test
