// Writes the seed corpora under fuzz/corpus/ from the fixture writers. The
// seeds are kept in the repository; run this again when the fixtures change:
//   build-fuzz/fuzz/orvfuzz-seeds fuzz/corpus
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "fixed_inputs.h"
#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "orvobj/object_text.h"

namespace {

using namespace orvfixture;

std::string text_of(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

void write_seed(const std::filesystem::path& dir, const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

// A module with requests, an absolute unit, a bit section and expressions
// with every prefix and operator.
std::string rich_object() {
    ObjectWriter w;
    w.header("rich.src", "1.00", {"SUB"}, {"FIX"})
        .units({{"CODE", 0, 0, 0, 6}, {"DATA", 1, 0, 0, 1}, {"ABS", 0, 1, 0xE000, 2}})
        .labels({{0, {{0, "rich"}}}, {2, {{0xE000, "table"}}}})
        .symbols({{0x10, "TEN"}})
        .bit_symbols({{0x01, 0x22, "flag"}})
        .externals({"putc", "sub"})
        .relocation(0, {{0, REL_ZERO_PAGE, 1, Expr(constant_term(0), unit_term(1, 0))},
                        {1, REL_SPECIAL_PAGE, 1, Expr(constant_term(0), constant_term(0xFF20)).then('|', constant_term(1))},
                        {2, REL_VALUE, 4,
                         Expr(constant_term(0), name_term("putc", PREFIX_LOW16))
                             .then('-', unit_term(2, 0xE000, PREFIX_HIGH))
                             .then('*', constant_term(3, PREFIX_NEGATE))
                             .then('/', constant_term(2, PREFIX_COMPLEMENT))
                             .then('%', constant_term(7, PREFIX_NOT))
                             .then('&', constant_term(0xFF, PREFIX_LOW))
                             .then('^', constant_term(1, PREFIX_BANK))
                             .then('<', constant_term(1, PREFIX_PLUS))
                             .then('>', section_size_term("CODE"))},
                        })
        .contents(0, {{0, {0, 0, 0, 0, 0, 0}}})
        .contents(2, {{0xE000, {0x12, 0x34}}})
        .end();
    return text_of(w.bytes());
}

// A pass 2 for the fixed module's pass 1: expressions over its names and
// units with every prefix and operator.
std::string expressions_pass2() {
    ObjectWriter w;
    w.relocation(0, {{0, REL_VALUE, 4,
                      Expr(constant_term(0), name_term("putc", PREFIX_LOW16))
                          .then('+', name_term("limit", PREFIX_HIGH))
                          .then('-', unit_term(1, 0, PREFIX_LOW))
                          .then('*', name_term("SIZE", PREFIX_NEGATE))
                          .then('/', constant_term(2, PREFIX_COMPLEMENT))
                          .then('%', constant_term(7, PREFIX_NOT))
                          .then('&', unit_term(2, 0xFFFE, PREFIX_BANK))
                          .then('|', constant_term(1, PREFIX_PLUS))
                          .then('^', section_size_term("DATA"))
                          .then('<', constant_term(2))
                          .then('>', constant_term(1))},
                     {4, REL_ADDRESS, 2, Expr(constant_term(0), name_term("main"))},
                     {6, REL_ZERO_PAGE, 1, Expr(constant_term(0), unit_term(1, 1))}})
        .contents(0, {{0, {0, 0, 0, 0, 0, 0, 0, 0}}})
        .contents(2, {{0xFFFE, {0x00, 0xC0}}})
        .end();
    return text_of(w.bytes());
}

Bytes small_module(const std::string& label, const std::vector<std::string>& externals) {
    ObjectWriter w;
    w.header(label + ".src").units({{"CODE", 0, 0, 0, 1}}).labels(0, {{0, label}});
    if (!externals.empty()) w.externals(externals);
    w.symbols({{1, label + "_S"}}).bit_symbols({{0x02, 0x20, label + "_B"}}).contents(0, {{0, {0xEA}}}).end();
    return w.bytes();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: orvfuzz-seeds CORPUS_DIR\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::string main_object = orvfuzz::fixed_main_object();
    const std::string library = orvfuzz::fixed_library();

    write_seed(root / "object", "sub.rov", orvfuzz::fixed_sub_object());
    write_seed(root / "object", "rich.rov", rich_object());
    write_seed(root / "object", "small.rov", text_of(small_module("getc", {})));

    LibraryWriter one;
    one.add("PUTC", small_module("putc", {}));
    LibraryWriter many;
    many.add("GETC", small_module("getc", {}));
    many.add("PUTC", small_module("putc", {"getc", "more"}));
    many.add("MORE", small_module("more", {}));
    write_seed(root / "library", "fix.lib", library);
    write_seed(root / "library", "one.lib", text_of(one.bytes()));
    write_seed(root / "library", "many.lib", text_of(many.bytes()));

    write_seed(root / "command", "fields", "MAIN SUB,FIX,CODE=C000 DATA=0040,-MS -S");
    write_seed(root / "command", "split", "MAIN\nSUB,FIX,CODE=C000\nDATA=0040,-M\n-S\n-.\n-BANK");
    write_seed(root / "command", "file", std::string("@CMD.LNK") + '\0' + "MAIN SUB,\r\nFIX,\nCODE=C000 DATA=0040,-MS -A -N\x1Atail");
    write_seed(root / "command", "long",
               "MAIN,FIX,CODE=C000 DATA=0040 VECTORS,-MS -S --cref --explain --why-extract=- --stats "
               "--print-memory-usage --region=ZP:RAM:0000-00FF --region=FLASH:ROM:C000-FFFF "
               "--link-report=R.JSON --memory-map=M.SVG -OOUT/ -FPROG");
    write_seed(root / "command", "queries", "--help\n--version\n-V");
    write_seed(root / "command", "prompts", "MAIN");

    write_seed(root / "pass2", "main.p2", orvfuzz::fixed_main_pass2());
    write_seed(root / "pass2", "expressions.p2", expressions_pass2());
    const std::string rich = rich_object();

    write_seed(root / "orvobj_build", "main.txt", orvobj::dump_object(Bytes(main_object.begin(), main_object.end())));
    write_seed(root / "orvobj_build", "rich.txt", orvobj::dump_object(Bytes(rich.begin(), rich.end())));

    write_seed(root / "orvlib_list", "fix.lib", library);
    write_seed(root / "orvlib_list", "many.lib", text_of(many.bytes()));
    write_seed(root / "orvlib_extract", "fix.lib", library);
    write_seed(root / "orvlib_extract", "many.lib", text_of(many.bytes()));
    return 0;
}
