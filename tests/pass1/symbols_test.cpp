#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pass1/symbol_report.h"
#include "pass1_harness.h"

namespace orv::test {
namespace {

SymbolEntry definition(const char* name, const char* file, SymKind kind, int32_t value, int32_t unit = 0,
                       int32_t bit = 0) {
    SymbolEntry entry;
    entry.name = name;
    entry.file_name = file;
    entry.state = SYM_DEFINED;
    entry.kind = kind;
    entry.value = value;
    entry.unit_no = unit;
    entry.bit_no = bit;
    return entry;
}

SymbolEntry reference(const char* name, const char* file) {
    SymbolEntry entry;
    entry.name = name;
    entry.file_name = file;
    entry.state = SYM_UNDEFINED;
    return entry;
}

TEST(SymbolTable, FirstDefinitionWinsAndTheSecondMakesTheNameMultiplyDefined) {
    SymbolTable table;
    table.enter_symbol(definition("x", "A.ROV", SYM_LABEL, 1, 3));
    EXPECT_FALSE(table.multiple_defined());
    table.enter_symbol(definition("x", "B.ROV", SYM_BIT, 2, 0, 5));
    table.enter_symbol(definition("x", "C.ROV", SYM_SYMBOL, 3));
    const SymbolEntry* x = table.find_symbol("x");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->state, SYM_MULTIPLE);
    EXPECT_EQ(x->kind, SYM_LABEL);
    EXPECT_EQ(x->value, 1);
    EXPECT_EQ(x->unit_no, 3);
    EXPECT_EQ(x->bit_no, 0);
    EXPECT_STREQ(x->file_name, "A.ROV");
    EXPECT_STREQ(x->other_file, "B.ROV") << "the third definer is not recorded";
    EXPECT_TRUE(table.multiple_defined());
    EXPECT_FALSE(table.has_unresolved());
}

TEST(SymbolTable, ReferencesNeverChangeADefinition) {
    SymbolTable table;
    table.enter_symbol(definition("b", "A.ROV", SYM_BIT, 0x20, 0, 6));
    table.enter_symbol(reference("b", "B.ROV"));
    const SymbolEntry* b = table.find_symbol("b");
    EXPECT_EQ(b->state, SYM_DEFINED);
    EXPECT_STREQ(b->file_name, "A.ROV");
    EXPECT_EQ(b->bit_no, 6);
    EXPECT_FALSE(table.has_unresolved());
}

TEST(SymbolTable, ADefinitionResolvesAReferenceAndTakesTheDefinersFile) {
    SymbolTable table;
    table.enter_symbol(reference("r", "A.ROV"));
    table.enter_symbol(reference("r", "B.ROV"));
    EXPECT_TRUE(table.has_unresolved());
    EXPECT_STREQ(table.find_symbol("r")->file_name, "A.ROV") << "the first referrer stays";

    table.enter_symbol(definition("r", "C.ROV", SYM_BIT, 0x40, 0, 2));
    const SymbolEntry* r = table.find_symbol("r");
    EXPECT_EQ(r->state, SYM_DEFINED);
    EXPECT_EQ(r->kind, SYM_BIT);
    EXPECT_EQ(r->bit_no, 2);
    EXPECT_EQ(r->value, 0x40);
    EXPECT_STREQ(r->file_name, "C.ROV");
    EXPECT_FALSE(table.has_unresolved());
    EXPECT_FALSE(table.multiple_defined());
}

TEST(SymbolTable, NamesDifferingInCaseAreDistinctAndWalkInByteOrder) {
    SymbolTable table;
    std::vector<std::string> names = {"b", "B", "a", "ab", "_", "Z", "\x80x", "abc", "A"};
    for (const std::string& name : names) table.enter_symbol(reference(name.c_str(), "F"));
    std::vector<std::string> walked;
    for (const auto& [name, entry] : table.entries()) walked.push_back(std::string(name));
    EXPECT_EQ(walked, (std::vector<std::string>{"A", "B", "Z", "_", "a", "ab", "abc", "b", "\x80x"}));
}

// Assemblers emit names sorted; entering many of them stays cheap and the
// table still finds every one.
TEST(SymbolTable, ManySortedNames) {
    SymbolTable table;
    std::vector<std::string> names;
    for (int i = 0; i < 50000; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "L%07d", i);
        names.push_back(text);
    }
    for (const std::string& name : names) table.enter_symbol(definition(name.c_str(), "F", SYM_LABEL, 1));
    EXPECT_EQ(table.entries().size(), names.size());
    EXPECT_NE(table.find_symbol("L0012345"), nullptr);
    EXPECT_EQ(table.find_symbol("L0012345x"), nullptr);
}

TEST(SymbolTable, FullIndexIsPointEight) {
    SymbolTable index(2);
    Pass1Harness h;
    int status = h.run([&] {
        index.enter_symbol(definition("a", "L.LIB", SYM_LABEL, 1));
        index.enter_symbol(definition("b", "L.LIB", SYM_LABEL, 1));
        index.enter_symbol(definition("a", "L.LIB", SYM_LABEL, 2));  // merges, takes no entry
        index.enter_symbol(definition("c", "L.LIB", SYM_LABEL, 1));
    });
    EXPECT_EQ(status, 4);
    EXPECT_EQ(h.out_text(), internal_error_line("8"));
    EXPECT_EQ(index.entries().size(), 2u);
}

TEST(SymbolTable, EntryInAnUnknownStateIsPointEightOne) {
    SymbolTable table;
    SymbolEntry odd = reference("odd", "A.ROV");
    odd.state = 7;
    Pass1Harness h;
    int status = h.run([&] {
        table.enter_symbol(odd);
        table.enter_symbol(reference("odd", "B.ROV"));
    });
    EXPECT_EQ(status, 4);
    EXPECT_EQ(h.out_text(), internal_error_line("8.1"));
}

TEST(SymbolReport, ListsUnresolvedAndMultipleNamesInByteOrderWithoutBell) {
    Pass1Harness h;
    SymbolTable& t = h.ctx.symbols;
    t.enter_symbol(reference("zeta", "A.ROV"));
    t.enter_symbol(definition("Dup", "A.ROV", SYM_LABEL, 1));
    t.enter_symbol(definition("fine", "A.ROV", SYM_SYMBOL, 1));
    t.enter_symbol(reference("alpha", "B.ROV"));
    t.enter_symbol(definition("Dup", "B.ROV", SYM_SYMBOL, 1));
    t.enter_symbol(definition("Dup", "C.ROV", SYM_SYMBOL, 1));
    t.enter_symbol(reference("Alpha", "C.ROV"));
    t.enter_symbol(reference("alpha", "C.ROV"));
    report_symbol_errors(h.ctx);
    EXPECT_EQ(h.out_text(),
              "ERROR NO.9: Unresolved label \"Alpha\" in C.ROV\n"
              "ERROR NO.10: \"Dup\" is multiple defined in A.ROV. others in B.ROV\n"
              "ERROR NO.9: Unresolved label \"alpha\" in B.ROV\n"
              "ERROR NO.9: Unresolved label \"zeta\" in A.ROV\n");
    EXPECT_EQ(h.err_text(), "");
}

TEST(SymbolReport, FailingEndsWithStatusOneAndNoFurtherOutput) {
    Pass1Harness h;
    h.ctx.symbols.enter_symbol(reference("x", "A.ROV"));
    EXPECT_EQ(h.run([&] { fail_with_symbol_errors(h.ctx); }), 1);
    EXPECT_EQ(h.out_text(), "ERROR NO.9: Unresolved label \"x\" in A.ROV\n");
    EXPECT_EQ(h.err_text(), "");
}

}  // namespace
}  // namespace orv::test
