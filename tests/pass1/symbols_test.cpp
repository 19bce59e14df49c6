#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pass1_harness.h"

namespace orv::test {
namespace {

SymbolEntry entry(const char* name, const char* file, uint8_t state, uint8_t kind = SYM_LABEL,
                  int32_t value = 0, int32_t unit = 0, int32_t bit = 0) {
    SymbolEntry e;
    e.name = name;
    e.file_name = file;
    e.state = state;
    e.kind = kind;
    e.value = value;
    e.unit_no = unit;
    e.bit_no = uint8_t(bit);
    return e;
}

// The first definition wins whatever the kinds; the second definer is kept,
// the third is not; references never change a definition. An undefined name
// keeps its first referrer until a definition takes over.
TEST(SymbolTable, MergesDefinitionsAndReferences) {
    SymbolTable table;
    table.enter_symbol(entry("x", "A.ROV", SYM_DEFINED, SYM_LABEL, 1, 3));
    table.enter_symbol(entry("x", "D.ROV", SYM_UNDEFINED));
    table.enter_symbol(entry("r", "A.ROV", SYM_UNDEFINED));
    table.enter_symbol(entry("r", "B.ROV", SYM_UNDEFINED));
    EXPECT_EQ(symbols_of(table), (std::vector<std::string>{"r 1 0 0 0 0 A.ROV -", "x 0 0 1 3 0 A.ROV -"}));
    EXPECT_TRUE(table.has_unresolved());
    EXPECT_FALSE(table.multiple_defined());

    table.enter_symbol(entry("x", "B.ROV", SYM_DEFINED, SYM_BIT, 2, 0, 5));
    table.enter_symbol(entry("x", "C.ROV", SYM_DEFINED, SYM_SYMBOL, 3));
    table.enter_symbol(entry("r", "C.ROV", SYM_DEFINED, SYM_BIT, 0x40, 0, 2));
    table.enter_symbol(entry("r", "D.ROV", SYM_UNDEFINED));
    EXPECT_EQ(symbols_of(table), (std::vector<std::string>{"r 0 2 40 0 2 C.ROV -", "x 2 0 1 3 0 A.ROV B.ROV"}));
    EXPECT_FALSE(table.has_unresolved());
    EXPECT_TRUE(table.multiple_defined());
}

TEST(SymbolTable, NamesDifferingInCaseAreDistinctAndWalkInByteOrder) {
    SymbolTable table;
    std::vector<std::string> names = {"b", "B", "a", "ab", "_", "Z", "\x80x", "abc", "A"};
    for (const std::string& name : names) table.enter_symbol(entry(name.c_str(), "F", SYM_UNDEFINED));
    std::vector<std::string> walked;
    for (const SymbolEntry* e : table.in_name_order()) walked.push_back(e->name);
    EXPECT_EQ(walked, (std::vector<std::string>{"A", "B", "Z", "_", "a", "ab", "abc", "b", "\x80x"}));
}

// The walk decides most names by their first eight bytes: names that share
// them, end inside them, or differ only in a high byte still come in byte order.
TEST(SymbolTable, LongNamesSharingTheirFirstBytesWalkInByteOrder) {
    SymbolTable table;
    std::vector<std::string> names;
    const char* const stems[] = {"sharedpr", "sharedp", "sharedpq", "shared\xFFp", "s", ""};
    for (const char* stem : stems) {
        for (int i = 0; i < 300; ++i) {
            std::string name = std::string(stem) + std::to_string((i * 7919) % 1000);
            if (i % 3 == 0) name += "\x90tail";
            if (!name.empty()) names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::vector<std::string> shuffled = names;
    std::reverse(shuffled.begin(), shuffled.end());
    for (const std::string& name : shuffled) table.enter_symbol(entry(name.c_str(), "F", SYM_UNDEFINED));
    std::vector<std::string> walked;
    for (const SymbolEntry* e : table.in_name_order()) walked.push_back(e->name);
    EXPECT_EQ(walked, names);
}

// Assemblers emit names sorted; the table must not degrade into a list.
TEST(SymbolTable, ManySortedNames) {
    SymbolTable table;
    std::vector<std::string> names;
    for (int i = 0; i < 50000; ++i) names.push_back("L" + std::to_string(1000000 + i));
    for (const std::string& name : names) table.enter_symbol(entry(name.c_str(), "F", SYM_DEFINED));
    EXPECT_EQ(table.size(), names.size());
    EXPECT_NE(table.find_symbol("L1012345"), nullptr);
    EXPECT_EQ(table.find_symbol("L1012345x"), nullptr);
}

TEST(SymbolTable, FullIndexAndUnknownStateAreInternalErrors) {
    SymbolTable index(2);
    Pass1Harness h;
    EXPECT_EQ(h.run([&] {
        index.enter_symbol(entry("a", "L.LIB", SYM_DEFINED));
        index.enter_symbol(entry("b", "L.LIB", SYM_DEFINED));
        index.enter_symbol(entry("a", "L.LIB", SYM_DEFINED));  // merges, takes no entry
        index.enter_symbol(entry("c", "L.LIB", SYM_DEFINED));
    }), 4);
    EXPECT_EQ(index.size(), 2u);

    SymbolTable table;
    EXPECT_EQ(h.run([&] {
        table.enter_symbol(entry("odd", "A.ROV", 7));
        table.enter_symbol(entry("odd", "B.ROV", SYM_UNDEFINED));
    }), 4);
    EXPECT_EQ(h.out.text(), internal_error_line("8") + internal_error_line("8.1"));
}

}  // namespace
}  // namespace orv::test
