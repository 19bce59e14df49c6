#include <gtest/gtest.h>

#include <string>

#include "fixture/object_writer.h"
#include "pass2/local_symbols.h"
#include "placement/link_bench.h"
#include "support/file_cursor.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using orvfixture::ObjectWriter;

// A link with its symbol file open, whose pass 2 gives write_local_symbols
// one module's debug part at a time.
class SymbolFileBench : public LinkBench {
public:
    explicit SymbolFileBench(const char* layout = "CODE+0") {
        ctx.options.opt_sym = 1;
        units(layout);
        EXPECT_EQ(place(), 0);
        EXPECT_EQ(open_outputs(dir.path().string()), 0);
    }

    // The debug part of a module, its first tag read ahead as pass 2 leaves it.
    int module(const ObjectWriter& debug, int32_t unit_base, int32_t last_unit) {
        dir.write("M.ROV", debug.bytes());
        return run([&] {
            auto file = test::FileCursor::open((dir / "M.ROV").string());
            ctx.reader.unit_base = unit_base;
            ctx.reader.next_tag = file->get();
            write_local_symbols(ctx, *file, last_unit);
        });
    }

    // The local part written so far, the files closed and placed.
    std::string local_part() {
        ctx.output.sym_file.reset();
        ctx.output.hex_file.reset();
        run([] {});
        return dir.read("PROG.SYM");
    }

    TempDir dir;
};

// Without debug records the file begins with the section information; its
// addresses keep four digits in the bank layout.
TEST(SymbolFile, WithoutDebugRecordsOnlyTheGlobalPart) {
    SymbolFileBench sym;
    sym.ctx.options.bank_mode = 1;
    ASSERT_EQ(sym.module(ObjectWriter().end(), 0, 0), 0);
    EXPECT_EQ(sym.finish_link(), 0);
    EXPECT_EQ(sym.dir.read("PROG.SYM"),
              "\r\n"
              "# SECTION INFORMATION\r\n"
              "0000 CODE              U0.ROV            REL   ROM   0000   0000   u0.src\r\n"
              "# GLOBAL LABEL\r\n"
              "\r\n"
              "# GLOBAL SYMBOL\r\n"
              "\r\n"
              "# GLOBAL BIT SYMBOL\r\n"
              "\x1A");
}

// Entries go eight to a line; a line of exactly eight ends after the eighth,
// and the count of a source-line record runs on across its blocks.
TEST(SymbolFile, EightEntriesToALine) {
    SymbolFileBench sym("CODE+0 CODE+0 CODE+0 CODE+0");
    std::vector<orvfixture::LabelSpec> eight, nine;
    for (uint32_t i = 0; i < 9; ++i) {
        if (i < 8) eight.push_back({i, "l" + std::to_string(i)});
        nine.push_back({i, "l" + std::to_string(i)});
    }
    std::vector<orvfixture::LineSpec> five;
    for (uint16_t i = 1; i <= 5; ++i) five.push_back({i, i});
    ObjectWriter debug;
    debug.local_labels(0, eight).local_labels(1, nine).local_symbols({{0, "zero"}});
    debug.source_lines(1, {{"a.c", five}, {"b.h", five}}).call_info(1, {{1, 1}}).end();
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
              "zero 0  \r\n"
              "# SOURCE 1 a.c\r\n"
              "1 1  2 2  3 3  4 4  5 5  \r\n"
              "# SOURCE 1 b.h\r\n"
              "1 1  2 2  3 3  \r\n"
              "4 4  5 5  \r\n"
              "# CALL 1\r\n"
              "1 1  ");
}

TEST(SymbolFile, MalformedDebugRecordsAreInternalErrors) {
    ObjectWriter cut;
    cut.tag(0xF9).n2(0).n3(4);
    const struct {
        const char* trace;
        ObjectWriter debug;
        const char* point;
    } cases[] = {
        {"bit mask of two bits", ObjectWriter().local_bit_symbols({{0x03, 0x40, "two"}}).end(), "34.5"},
        {"unknown tag", ObjectWriter().language("C").tag(0xF8).end(), "35"},
        {"no end tag", ObjectWriter().language("C"), "35"},
        {"file ends inside a name", cut, "10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trace);
        SymbolFileBench sym;
        EXPECT_EQ(sym.module(c.debug, 0, 0), 4);
        EXPECT_EQ(sym.out(), std::string("ERROR NO.6: Internal error at POINT ") + c.point + "\n");
        EXPECT_EQ(sym.err(), "\a");
    }
}

}  // namespace
}  // namespace orv::test
