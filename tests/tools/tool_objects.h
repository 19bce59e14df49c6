#pragma once
#include "fixture/object_writer.h"

// Small relocatable modules for the librarian's tests.
namespace orv::test {

// PUTC: a label in P, a symbol, a reference to `ready`, relocation,
// contents and debug records.
inline orvfixture::Bytes putc_module() {
    using namespace orvfixture;
    ObjectWriter w;
    w.header("putc.asm")
        .units({{"P", 0, 0, 0, 4}})
        .labels(0, {{0, "putc"}})
        .symbols({{0x1234, "PUTC_VERSION"}})
        .externals({"ready"})
        .relocation(0, {{1, REL_BIT_ADDRESS, 1, Expr(unit_term(0, 0), name_term("ready"))}})
        .contents(0, {{0, {0x0F, 0x00, 0x39, 0x01}}})
        .function(1, "putc", 0, 0, 3)
        .language("ASM")
        .pointer_length(2)
        .end();
    return w.bytes();
}

// FLAGS: a bit symbol, a label in an absolute unit and a RAM unit; no
// relocation, contents only for the absolute unit.
inline orvfixture::Bytes flags_module() {
    using namespace orvfixture;
    ObjectWriter w;
    w.header("flags.asm")
        .units({{"Z", 1, 0, 0, 1}, {"VEC", 0, 1, 0xFFF0, 2}})
        .labels(1, {{0xFFF0, "vector"}})
        .bit_symbols({{0x80, 0x00, "ready"}})
        .contents(1, {{0xFFF0, {0x12, 0x34}}})
        .end();
    return w.bytes();
}

// NOTHING: a unit but no public name; no search ever takes it in.
inline orvfixture::Bytes silent_module() {
    using namespace orvfixture;
    ObjectWriter w;
    w.header("nothing.asm").units({{"P", 0, 0, 0, 1}}).contents(0, {{0, {0xEA}}}).end();
    return w.bytes();
}

}  // namespace orv::test
