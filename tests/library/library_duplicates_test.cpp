#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_support.h"

namespace orv::test {
namespace {

// A module entry whose index lists "d" twice (values 7 and 8) besides the
// given labels.
LibraryModule with_twice_defined_d(const std::string& name, const Names& labels) {
    LibraryModule module = library_module(name, {.labels = labels});
    auto& groups = module.summary.label_groups;
    if (groups.empty()) groups.push_back({0, {}});
    groups[0].second.push_back({7, "d"});
    groups[0].second.push_back({8, "d"});
    return module;
}

// A name twice in one module's index ends the run with status 1 and no
// bell, whether or not the module is taken in, and the report names the
// library as both definers (or the linked module that defined it first).
TEST(LibraryIndexDuplicates, AreReportedAsMultipleDefinitions) {
    const std::string in_library = "ERROR NO.10: \"d\" is multiple defined in L.LIB. others in L.LIB\n";
    const struct {
        const char* what;
        ModuleNames main;
        std::vector<LibraryModule> modules;
        std::string report;
        Names taken;
        int32_t d_value;
    } cases[] = {
        {"taken module", {.externals = {"a"}}, {with_twice_defined_d("M", {"a"})}, in_library, {"M:0:0"}, 7},
        {"the name was needed", {.externals = {"d"}}, {with_twice_defined_d("M", {})}, in_library, {"M:0:0"}, 7},
        {"module not taken in", {.externals = {"a"}},
         {with_twice_defined_d("UNNEEDED", {"b"}), library_module("A", {.labels = {"a"}})}, in_library, {"A:1:0"}, 7},
        {"also defined by a linked module", {.labels = {"d"}, .externals = {"a"}},
         {with_twice_defined_d("M", {"a"})},
         "ERROR NO.10: \"d\" is multiple defined in MAIN.ROV. others in L.LIB\n", {"M:0:0"}, 0},
        {"with unresolved names", {.externals = {"a", "zz"}}, {with_twice_defined_d("M", {"a"})},
         in_library + "ERROR NO.9: Unresolved label \"zz\" in MAIN.ROV\n", {"M:0:0"}, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LibraryHarness h;
        h.main_module(c.main, {"L.LIB"});
        LibraryWriter lib;
        for (const LibraryModule& m : c.modules) lib.add(m);
        h.write("L.LIB", lib);
        EXPECT_EQ(h.run_pass1(), 1);
        EXPECT_EQ(h.out.text(), PASS1_START + c.report);
        EXPECT_EQ(h.err.text(), "now processing pass 1\n");
        EXPECT_EQ(h.taken(), c.taken);
        const SymbolEntry* d = h.ctx.symbols.find_symbol("d");
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->value, c.d_value);
        // Only the twice-defined name of a module not taken in is entered.
        EXPECT_EQ(h.ctx.symbols.find_symbol("b"), nullptr);
    }
}

}  // namespace
}  // namespace orv::test
