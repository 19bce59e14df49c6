#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "library/library_support.h"
#include "support/run_linker.h"

// --diagnostics-format=gnu and --sarif: every kind of finding in the forms
// that editors and code scanning read, through the real binary.
namespace orv::test {
namespace {

using namespace orvfixture;

RelocSpec field(uint32_t offset, uint8_t type, uint8_t size, Expr expression) {
    return {offset, type, size, std::move(expression)};
}

Expr just(Term term) { return Expr(constant_term(0), std::move(term)); }

// MAIN.ROV: section P (0x90 bytes, the label again at 0x82) with one field
// for each range finding and a bit symbol used as a value; Z (RAM) holds
// count. OTHER.ROV: an absolute unit of section A over P, and a ROM part of
// section D, whose part in DATA.ROV is RAM.
void write_every_kind(const TempDir& dir) {
    ObjectWriter main;
    main.header("main.asm").units({{"P", 0, 0, 0, 0x90}, {"Z", 1, 0, 0, 2}});
    main.labels({{0, {{0x82, "again"}}}, {1, {{0, "count"}}}});
    main.bit_symbols({{0x04, 0x20, "ready"}});
    main.relocation(0, {field(1, REL_ADDRESS, 2, just(name_term("again")).then('+', constant_term(0x10000))),
                        field(3, REL_RELATIVE, 1, just(name_term("again")).then('+', constant_term(0x100))),
                        field(5, REL_ZERO_PAGE, 1, just(name_term("count"))),
                        field(7, REL_SPECIAL_PAGE, 1, just(name_term("again"))),
                        field(9, REL_BIT_VALUE, 1, just(constant_term(8))),
                        field(11, REL_VALUE, 1, just(name_term("ready")))});
    dir.write("main.rov", main.contents(0, {{0, Bytes(0x90, 0)}}).end().bytes());
    dir.write("other.rov", object([](ObjectWriter& w) { w.units({{"A", 0, 1, 0xC010, 4}, {"D", 0, 0, 0, 2}}); }));
    dir.write("data.rov", object([](ObjectWriter& w) { w.units({{"D", 1, 0, 0, 2}}); }));
}

const std::string EVERY_KIND = "main other data,,P=C000 Z=0100 NOSUCH";

TEST(DiagnosticsFormat, Explore) {
    TempDir dir;
    write_every_kind(dir);
    RunResult run = run_orvlink(dir.path(), {EVERY_KIND + ",--quiet --diagnostics-format=gnu --explain --sarif=out.sarif"});
    std::cout << run.out << "----\n" << run.err << "\n" << run.status << "\n" << dir.read("out.sarif");
    RunResult c = run_orvlink(dir.path(), {EVERY_KIND + ",-. --explain"});
    std::cout << c.out;
}

}  // namespace
}  // namespace orv::test
