#include <gtest/gtest.h>

#include "fixture/library_writer.h"
#include "orvlib/librarian.h"
#include "tools/tool_objects.h"

namespace orvlib {
namespace {

using namespace orvfixture;
using orv::test::flags_module;
using orv::test::putc_module;
using orv::test::silent_module;

std::string at(std::size_t offset) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%04lX", (unsigned long)offset);
    return text;
}

// "OFFSET: message" of the FormatError that `action` throws.
std::string failure_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const FormatError& error) {
        return at(error.offset()) + ": " + error.what();
    }
    return "no error";
}

TEST(Librarian, CreateThenReadGivesEveryModuleBack) {
    std::vector<ModuleInput> inputs = {{"PUTC", putc_module()}, {"FLAGS", flags_module()}, {"NOTHING", silent_module()}};
    Bytes bytes = create_library(inputs);
    LibraryFile library = read_library_file(bytes);

    ASSERT_EQ(library.modules.size(), 3u);
    const ModuleEntry& putc = library.modules[0];
    EXPECT_EQ(putc.name, "PUTC");
    ASSERT_EQ(putc.publics.size(), 2u);
    EXPECT_EQ(putc.publics[0].kind, PublicKind::LABEL);
    EXPECT_EQ(putc.publics[0].name, "putc");
    EXPECT_EQ(putc.publics[1].kind, PublicKind::SYMBOL);
    EXPECT_EQ(putc.publics[1].name, "PUTC_VERSION");
    EXPECT_EQ(putc.externals, std::vector<std::string>{"ready"});
    EXPECT_NE(putc.reloc_offset, 0u);
    EXPECT_EQ(bytes[putc.reloc_offset], 0xF7);
    EXPECT_EQ(bytes[putc.code_offset], 0xF8);

    const ModuleEntry& flags = library.modules[1];
    ASSERT_EQ(flags.units.size(), 2u);
    EXPECT_EQ(flags.units[1].section, "VEC");
    EXPECT_EQ(flags.units[1].abs, 1);
    EXPECT_EQ(flags.units[1].address, 0xFFF0u);
    EXPECT_EQ(flags.reloc_offset, 0u) << "no relocation records";
    EXPECT_EQ(bytes[flags.code_offset], 0xF8);
    EXPECT_TRUE(library.modules[2].publics.empty());

    for (std::size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(module_image(bytes, library.modules[i]), inputs[i].image) << inputs[i].name;
    }
}

TEST(Librarian, ListShowsEachModulesImageUnitsNamesAndReferences) {
    Bytes bytes = create_library({{"PUTC", putc_module()}, {"FLAGS", flags_module()}});
    LibraryFile library = read_library_file(bytes);
    char putc_at[32], flags_at[32];
    std::snprintf(putc_at, sizeof putc_at, "0x%08lX", (unsigned long)library.modules[0].image.start);
    std::snprintf(flags_at, sizeof flags_at, "0x%08lX", (unsigned long)library.modules[1].image.start);
    EXPECT_EQ(list_library("X.LIB", library),
              "library X.LIB: 2 modules\n"
              "module PUTC: image " + std::to_string(putc_module().size()) + " bytes at offset " + putc_at + "\n"
              "    unit     P ROM REL size 0x0004\n"
              "    label    putc\n"
              "    symbol   PUTC_VERSION\n"
              "    extern   ready\n"
              "module FLAGS: image " + std::to_string(flags_module().size()) + " bytes at offset " + flags_at + "\n"
              "    unit     Z RAM REL size 0x0001\n"
              "    unit     VEC ROM ABS at 0xFFF0 size 0x0002\n"
              "    label    vector\n"
              "    bit      ready\n");
    EXPECT_EQ(list_library("E.LIB", read_library_file(LibraryWriter().bytes())), "library E.LIB: 0 modules\n");
}

TEST(Librarian, ModuleNamesComeFromTheFileName) {
    EXPECT_EQ(module_name_for("putc.rov"), "PUTC");
    EXPECT_EQ(module_name_for("obj/lib/Mul8.ROV"), "MUL8");
    EXPECT_EQ(module_name_for("obj\\str.len.rov"), "STR.LEN");
    EXPECT_EQ(module_name_for("noext"), "NOEXT");
    EXPECT_EQ(module_name_for(".rov"), ".ROV") << "a leading dot is no extension";
}

TEST(Librarian, ModulesAreFoundExactlyThenByLetterCase) {
    LibraryWriter writer;
    writer.add("Ab", putc_module()).add("AB", putc_module()).add("Cd", putc_module());
    Bytes bytes = writer.bytes();
    LibraryFile library = read_library_file(bytes);
    EXPECT_EQ(find_module(library, "AB"), &library.modules[1]);
    EXPECT_EQ(find_module(library, "cd"), &library.modules[2]);
    EXPECT_EQ(find_module(library, "ab"), nullptr) << "two modules differ from it in letter case alone";
    EXPECT_EQ(find_module(library, "X"), nullptr);
}

// The checks of `create`: an object must be whole, in the order the linker
// reads it, with nothing after its end record.
TEST(Librarian, ObjectsMustBeCompleteModules) {
    Bytes good = putc_module();
    Bytes trailing = good;
    trailing.push_back(0);
    trailing.push_back(0);
    EXPECT_EQ(failure_of([&] { check_object(trailing); }), at(good.size()) + ": 2 bytes follow the module's end record");

    Bytes no_end(good.begin(), good.end() - 1);
    EXPECT_EQ(failure_of([&] { check_object(no_end); }),
              at(no_end.size()) + ": file ends inside the debug records (no end record)");

    ObjectWriter wrong_format;
    wrong_format.header("a.asm", "1", {}, {}, "VER.B").end();
    EXPECT_EQ(failure_of([&] { check_object(wrong_format.bytes()); }),
              "0x0001: format text \"VER.B\" does not start with VER.A");

    ObjectWriter unknown_record;
    unknown_record.header("a.asm", "1").tag(0x42).end();
    std::size_t records_at = ObjectWriter().header("a.asm", "1").size();
    EXPECT_EQ(failure_of([&] { check_object(unknown_record.bytes()); }),
              at(records_at) + ": unknown pass-1 record tag 0x42");

    // Contents before relocation: the linker would look for the relocation
    // records in vain.
    ObjectWriter swapped;
    swapped.header("a.asm", "1").units({{"P", 0, 0, 0, 1}}).contents(0, {{0, {0}}});
    std::size_t relocation_at = swapped.size();
    swapped.relocation(0, {{0, REL_VALUE, 1, Expr(constant_term(0), constant_term(1))}}).end();
    EXPECT_EQ(failure_of([&] { check_object(swapped.bytes()); }),
              at(relocation_at) + ": unknown debug record tag 0xF7 (relocation and contents records come before the debug records)");

    ObjectWriter bad_operator;
    bad_operator.header("a.asm", "1").units({{"P", 0, 0, 0, 1}});
    Bytes expression = Expr(constant_term(0), constant_term(1)).then_code(0x40, constant_term(2)).bytes();
    bad_operator.relocation(0, {{0, REL_VALUE, 1, Expr(constant_term(0), constant_term(1)).then_code(0x40, constant_term(2))}});
    // The operator stands after the tag, unit, address, type, size and two terms.
    std::size_t operator_at = bad_operator.size() - 4 - expression.size() + 10;
    EXPECT_EQ(failure_of([&] { check_object(bad_operator.bytes()); }), at(operator_at) + ": unknown expression operator 0x40");

    ObjectWriter two_bits;
    two_bits.header("a.asm", "1").bit_symbols({{0x80, 0x20, "ok"}, {0x03, 0x20, "both"}}).end();
    std::size_t second_entry_at = records_at + 1 + 2 + 3 + 3;
    EXPECT_EQ(failure_of([&] { check_object(two_bits.bytes()); }), at(second_entry_at) + ": bit mask 0x03 is not a single bit");
    ObjectWriter wide_mask;
    wide_mask.header("a.asm", "1").local_bit_symbols({{0x100, 0x20, "wide"}}).end();
    EXPECT_EQ(failure_of([&] { check_object(wide_mask.bytes()); }), at(records_at + 1) + ": bit mask 0x0100 is not a single bit");

    // Each run of unit records counts from 0; another record starts a new run.
    ObjectWriter runs;
    runs.header("a.asm", "1").units({{"P", 0, 0, 0, 1}, {"Q", 0, 0, 0, 1}}).symbols({}).units({{"R", 0, 0, 0, 1}});
    runs.end();
    EXPECT_EQ(failure_of([&] { check_object(runs.bytes()); }), "no error");
    ObjectWriter skipped;
    skipped.header("a.asm", "1").unit_entry(0, {"P", 0, 0, 0, 1}).unit_entry(2, {"Q", 0, 0, 0, 1}).end();
    std::size_t second_unit_at = ObjectWriter().header("a.asm", "1").unit_entry(0, {"P", 0, 0, 0, 1}).size() + 1;
    EXPECT_EQ(failure_of([&] { check_object(skipped.bytes()); }), at(second_unit_at) + ": unit number 2 where 1 belongs");

    ObjectWriter short_block;
    short_block.header("a.asm", "1").units({{"P", 0, 0, 0, 1}}).tag(0xF8).n2(0);
    std::size_t block_at = short_block.size();
    short_block.n4(2).n4(0);
    short_block.end();
    EXPECT_EQ(failure_of([&] { check_object(short_block.bytes()); }), at(block_at) + ": data block length 2 is below 3");
}

}  // namespace
}  // namespace orvlib
