#include "fixed_inputs.h"

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"

namespace orvfuzz {
namespace {

using namespace orvfixture;

std::string text_of(const ByteWriter& writer) { return std::string(writer.bytes().begin(), writer.bytes().end()); }

ObjectWriter& main_pass1(ObjectWriter& w) {
    return w.header("main.src", "1.00")
        .units({{"CODE", 0, 0, 0, 8}, {"DATA", 1, 0, 0, 2}, {"VECTORS", 0, 1, 0xFFFE, 2}})
        .labels({{0, {{0, "main"}, {4, "_start"}}}, {2, {{0xFFFE, "reset"}}}})
        .symbols({{0x40, "SIZE"}, {0xFFFFFFFF, "limit"}})
        .bit_symbols({{0x08, 0x20, "ready"}})
        .externals({"putc"});
}

ObjectWriter& main_pass2(ObjectWriter& w) {
    return w
        .relocation(0, {{1, REL_ADDRESS, 2, Expr(constant_term(0), name_term("putc")).then('+', constant_term(1))},
                        {3, REL_ZERO_PAGE, 1, Expr(constant_term(0), unit_term(1, 1))},
                        {5, REL_RELATIVE, 1, Expr(constant_term(0), unit_term(0, 0))},
                        {6, REL_VALUE, 2, Expr(constant_term(0), section_size_term("CODE"))}})
        .contents(0, {{0, {0x20, 0x00, 0x00, 0xA5, 0x00, 0x80, 0x00, 0x00}}})
        .contents(2, {{0xFFFE, {0x00, 0xC0}}})
        .local_labels(0, {{2, "loop"}})
        .local_symbols({{7, "COUNT"}})
        .local_bit_symbols({{0x80, 0x21, "busy"}})
        .function(1, "main", 0, 0, 7)
        .call_info(1, {{0x10, 1}})
        .source_lines(1, {{"main.c", {{5, 0}, {6, 3}}}})
        .language("C")
        .pointer_length(2)
        .end();
}

}  // namespace

std::string fixed_main_object() {
    ObjectWriter w;
    main_pass1(w);
    main_pass2(w);
    return text_of(w);
}

std::string fixed_main_pass1() {
    ObjectWriter w;
    return text_of(main_pass1(w));
}

std::string fixed_main_pass2() { return fixed_main_object().substr(fixed_main_pass1().size()); }

std::string fixed_sub_object() {
    ObjectWriter w;
    w.header("sub.src")
        .units({{"CODE", 0, 0, 0, 2}, {"DATA", 1, 0, 0, 1}})
        .labels(0, {{0, "sub"}})
        .externals({"main"})
        .relocation(0, {{0, REL_ADDRESS, 2, Expr(constant_term(0), name_term("main"))}})
        .contents(0, {{0, {0x00, 0x00}}})
        .function(1, "sub", 0, 0, 1)
        .pointer_length(2)
        .end();
    return text_of(w);
}

std::string fixed_library() {
    ObjectWriter putc;
    putc.header("putc.src")
        .units({{"CODE", 0, 0, 0, 3}})
        .labels(0, {{0, "putc"}})
        .externals({"getc"})
        .relocation(0, {{1, REL_ADDRESS, 2, Expr(constant_term(0), name_term("getc"))}})
        .contents(0, {{0, {0x4C, 0x00, 0x00}}})
        .function(1, "putc", 0, 0, 2)
        .end();
    ObjectWriter getc;
    getc.header("getc.src")
        .units({{"CODE", 0, 0, 0, 1}})
        .labels(0, {{0, "getc"}})
        .symbols({{0x99, "GETC_PORT"}})
        .contents(0, {{0, {0x60}}})
        .end();
    LibraryWriter library;
    library.add("PUTC", putc.bytes());
    library.add("GETC", getc.bytes());
    const Bytes bytes = library.bytes();
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace orvfuzz
