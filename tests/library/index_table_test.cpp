#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/index_table.h"
#include "pass1/pass1_harness.h"

namespace orv::test {
namespace {

SymbolEntry definition(const char* name, int32_t value) {
    SymbolEntry e;
    e.name = name;
    e.file_name = "L.LIB";
    e.value = value;
    return e;
}

void enter(IndexTable& index, const char* name, int32_t value) {
    std::string_view view(name);
    index.enter(definition(name, value), view.size(), name_hash(view));
}

// Names come out once each, in the order first read; a second definition
// makes the first multiply defined (its library becomes the second definer
// when the global table takes it) and a third changes nothing. Names that share a prefix or differ only in
// length stay apart.
TEST(IndexTable, KeepsEachNameOnceAndMergesRepeatedDefinitions) {
    IndexTable index;
    index.reset(6);
    for (const char* name : {"ab", "abc", "a", "ab", "b", "ab"}) enter(index, name, int32_t(std::string_view(name).size()));
    ASSERT_EQ(index.size(), 4u);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < index.size(); ++i) names.emplace_back(index[i].name());
    EXPECT_EQ(names, (std::vector<std::string>{"ab", "abc", "a", "b"}));
    EXPECT_EQ(index[0].definition.state, SYM_MULTIPLE);
    EXPECT_EQ(index[0].definition.value, 2) << "the first definition's value stays";
    EXPECT_EQ(index[1].definition.state, SYM_DEFINED);
    EXPECT_TRUE(index.multiple_defined());
    EXPECT_EQ(index[2].hash, SymbolTable::kept_hash(name_hash("a")));

    // A reset forgets names and the multiple definition.
    index.reset(1);
    enter(index, "ab", 1);
    EXPECT_EQ(index.size(), 1u);
    EXPECT_FALSE(index.multiple_defined());
}

// The announced count bounds the distinct names: a repeated name beyond it
// is merged, a new one is internal error point "8".
TEST(IndexTable, ANewNameBeyondTheAnnouncedCountIsAnInternalError) {
    Pass1Harness h;
    IndexTable index;
    index.reset(2);
    EXPECT_EQ(h.run([&] {
        enter(index, "a", 0);
        enter(index, "b", 0);
        enter(index, "a", 0);
    }), 0);
    EXPECT_EQ(h.run([&] { enter(index, "c", 0); }), 4);
    EXPECT_EQ(h.out.text(), internal_error_line("8"));
    EXPECT_EQ(index.size(), 2u);
}

// An index larger than the slots a reset gives grows them and still finds
// every name, also when the next module's index is small again.
TEST(IndexTable, LargeIndexesGrowAndLaterSmallOnesStartAfresh) {
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i) names.push_back("N" + std::to_string(i * 7919));
    IndexTable index;
    index.reset(names.size());
    for (const std::string& name : names) enter(index, name.c_str(), 0);
    for (const std::string& name : names) enter(index, name.c_str(), 1);
    ASSERT_EQ(index.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(index[i].name(), names[i]);
        ASSERT_EQ(index[i].definition.state, SYM_MULTIPLE) << names[i];
    }
    index.reset(2);
    enter(index, names[0].c_str(), 0);
    EXPECT_EQ(index.size(), 1u);
    EXPECT_EQ(index[0].definition.state, SYM_DEFINED);
}

}  // namespace
}  // namespace orv::test
