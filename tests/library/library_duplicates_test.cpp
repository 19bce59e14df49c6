#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_support.h"

namespace orv::test {
namespace {

using orvfixture::LibraryWriter;
using Names = std::vector<std::string>;

// A module entry whose index lists "d" twice besides the given labels.
orvfixture::LibraryModule with_twice_defined_d(const std::string& name, const std::vector<std::string>& labels) {
    auto module = orvfixture::library_module(name, module_image({.labels = labels}).bytes());
    auto& groups = module.summary.label_groups;
    if (groups.empty()) groups.push_back({0, {}});
    groups[0].second.push_back({7, "d"});
    groups[0].second.push_back({8, "d"});
    return module;
}

TEST(LibraryIndexDuplicates, TakenModuleReportsTheLibraryAsBothDefiners) {
    LibraryHarness h;
    h.main_module({.externals = {"a"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add(with_twice_defined_d("M", {"a"}));
    h.write("L.LIB", lib);

    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.10: \"d\" is multiple defined in L.LIB. others in L.LIB\n");
    EXPECT_EQ(h.err_text(), "now processing pass 1\n");
    EXPECT_EQ(h.taken(), (Names{"M:0:0"}));
    EXPECT_TRUE(h.ctx.symbols.multiple_defined());
    // The first definition stays the name's value.
    EXPECT_EQ(h.ctx.symbols.find_symbol("d")->value, 7);
}

TEST(LibraryIndexDuplicates, TwiceDefinedNameThatWasNeededIsNoLongerUnresolved) {
    LibraryHarness h;
    h.main_module({.externals = {"d"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add(with_twice_defined_d("M", {}));
    h.write("L.LIB", lib);

    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.10: \"d\" is multiple defined in L.LIB. others in L.LIB\n");
    EXPECT_FALSE(h.ctx.symbols.has_unresolved());
    EXPECT_EQ(h.taken(), (Names{"M:0:0"}));
}

TEST(LibraryIndexDuplicates, ModuleNotTakenInIsReportedAsWell) {
    LibraryHarness h;
    h.main_module({.externals = {"a"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add(with_twice_defined_d("UNNEEDED", {"b"}));
    lib.add("A", module_image({.labels = {"a"}}).bytes());
    h.write("L.LIB", lib);

    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.10: \"d\" is multiple defined in L.LIB. others in L.LIB\n");
    EXPECT_EQ(h.taken(), (Names{"A:1:0"}));
    // Only the twice-defined name is reported; b of the module stays out.
    EXPECT_EQ(h.ctx.symbols.find_symbol("b"), nullptr);
}

TEST(LibraryIndexDuplicates, NameAlsoDefinedByALinkedModuleNamesThatModuleFirst) {
    LibraryHarness h;
    h.main_module({.labels = {"d"}, .externals = {"a"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add(with_twice_defined_d("M", {"a"}));
    h.write("L.LIB", lib);

    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.10: \"d\" is multiple defined in MAIN.ROV. others in L.LIB\n");
}

TEST(LibraryIndexDuplicates, UnresolvedNamesAreReportedWithTheDuplicate) {
    LibraryHarness h;
    h.main_module({.externals = {"a", "zz"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add(with_twice_defined_d("M", {"a"}));
    h.write("L.LIB", lib);

    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(), PASS1_START +
                                "ERROR NO.10: \"d\" is multiple defined in L.LIB. others in L.LIB\n"
                                "ERROR NO.9: Unresolved label \"zz\" in MAIN.ROV\n");
}

}  // namespace
}  // namespace orv::test
