#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_support.h"

namespace orv::test {
namespace {

TEST(LibrarySelection, TakesExactlyTheModulesThatDefineAStillUndefinedName) {
    LibraryHarness h;
    h.main_module({.labels = {"own"}, .externals = {"lab", "sym", "bit"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add(library_module("LABELS", {.labels = {"lab"}}));
    lib.add(library_module("UNUSED", {.labels = {"nobody"}}));
    lib.add(library_module("SYMBOLS", {.symbols = {"sym"}}));
    lib.add(library_module("BITS", {.bits = {"bit"}}));
    // Defined already by MAIN.ROV: not a reason to take the module in.
    lib.add(library_module("OWN", {.labels = {"own"}}));
    h.write("L.LIB", lib);

    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out.text(), PASS1_START);
    EXPECT_EQ(h.taken(), (Names{"LABELS:0:0", "SYMBOLS:2:0", "BITS:3:0"}));

    // Each record tells pass 2 where the module's image and records lie and
    // which units are its own (MAIN.ROV has unit 0).
    auto layout = lib.layout();
    const auto& modules = h.ctx.library.lib_modules;
    const std::size_t entries[] = {0, 2, 3};
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const auto& entry = layout[entries[i]];
        const auto& summary = lib.modules[entries[i]].summary;
        EXPECT_EQ(modules[i].image_offset, int32_t(entry.image));
        EXPECT_EQ(modules[i].reloc_offset, int32_t(entry.image + summary.reloc_start));
        EXPECT_EQ(modules[i].code_offset, int32_t(entry.image + summary.code_start));
        EXPECT_EQ(modules[i].first_unit, int32_t(i + 1));
        EXPECT_EQ(modules[i].last_unit, int32_t(i + 1));
    }

    // Units keep the source name last read until pass 2 reads the image.
    EXPECT_EQ(units_of(h.ctx), (Names{"P 0 0 0 0 2 MAIN.ROV src.asm -", "P 1 0 0 0 2 L.LIB src.asm LABELS",
                                      "P 2 0 0 0 2 L.LIB src.asm SYMBOLS", "P 3 0 0 0 2 L.LIB src.asm BITS"}));
    EXPECT_EQ(symbols_of(h.ctx.symbols), (Names{"bit 0 2 20 0 2 L.LIB -", "lab 0 0 0 1 0 L.LIB -",
                                                "own 0 0 0 0 0 MAIN.ROV -", "sym 0 1 1234 0 0 L.LIB -"}));
    EXPECT_STREQ(h.ctx.reader.current_member, "BITS");
}

// TWO's B is taken first and its references count at once: C, later in the
// same library, is taken in the same pass; A (an earlier library) and D (an
// earlier entry) only in the next cycle, which passes over B and C without a
// second record.
TEST(LibrarySelection, SearchCyclesTakeEachModuleOnceWhenItIsNeeded) {
    LibraryHarness h;
    h.main_module({.externals = {"b"}}, {"ONE.LIB", "TWO.LIB"});
    h.write("ONE.LIB", LibraryWriter().add(library_module("A", {.labels = {"a"}})));
    LibraryWriter two;
    two.add(library_module("D", {.labels = {"d"}}));
    two.add(library_module("B", {.labels = {"b"}, .externals = {"a", "c", "d"}}));
    two.add(library_module("C", {.labels = {"c"}}));
    h.write("TWO.LIB", two);
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.taken(), (Names{"B:1:1", "C:2:1", "A:0:0", "D:0:1"}));
    EXPECT_EQ(h.ctx.sections.unit_count, 5);
    EXPECT_EQ(h.out.text(), PASS1_START);

    // Each module records the name that brought it in and who needed that name.
    Names why;
    for (const LibModule& m : h.ctx.library.lib_modules) {
        why.push_back(std::string(m.name) + " for " + m.needed_name + " of " + m.needed_by_file +
                      (m.needed_by_member != nullptr ? std::string("(") + m.needed_by_member + ")" : ""));
    }
    EXPECT_EQ(why, (Names{"B for b of MAIN.ROV", "C for c of TWO.LIB(B)", "A for a of TWO.LIB(B)",
                          "D for d of TWO.LIB(B)"}));
}

TEST(LibrarySelection, LibrariesAfterTheOneThatResolvesTheLastNameAreNotOpened) {
    LibraryHarness h;
    h.main_module({.externals = {"a"}}, {"ONE.LIB", "MISSING.LIB"});
    h.write("ONE.LIB", LibraryWriter().add(library_module("A", {.labels = {"a"}})));
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.taken(), (Names{"A:0:0"}));
    EXPECT_EQ(h.ctx.command.lib_file_flags, (std::vector<int>{1, 0}));
}

// A library without modules contributes nothing; a cycle that takes nothing
// in ends the run with the report.
TEST(LibrarySelection, CycleThatTakesNothingReportsTheUnresolvedNames) {
    LibraryHarness h;
    h.main_module({.externals = {"zed", "alpha"}}, {"L.LIB", "EMPTY.LIB"});
    h.write("L.LIB", LibraryWriter().add(library_module("Z", {.labels = {"zed"}, .externals = {"later"}})));
    h.write("EMPTY.LIB", LibraryWriter());
    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out.text(), PASS1_START +
                                "ERROR NO.9: Unresolved label \"alpha\" in MAIN.ROV\n"
                                "ERROR NO.9: Unresolved label \"later\" in L.LIB\n");
    EXPECT_EQ(h.err.text(), "now processing pass 1\n");
    EXPECT_EQ(h.taken(), (Names{"Z:0:0"}));
}

// The image defines x, but the entry's index says nothing: the module is
// passed over together with its units and external references.
TEST(LibrarySelection, ModuleWithAnEmptyIndexIsNeverTaken) {
    LibraryHarness h;
    h.main_module({.externals = {"x", "y"}}, {"L.LIB"});
    LibraryModule silent = library_module("SILENT", {.labels = {"x"}, .externals = {"q"}});
    silent.summary.label_groups.clear();
    h.write("L.LIB", LibraryWriter().add(silent).add(library_module("Y", {.labels = {"y"}})));
    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.taken(), (Names{"Y:1:0"}));
    EXPECT_EQ(h.out.text(), PASS1_START + "ERROR NO.9: Unresolved label \"x\" in MAIN.ROV\n");
    EXPECT_EQ(h.ctx.symbols.find_symbol("q"), nullptr);
}

// The second request is library 2 and takes Y in the same cycle.
TEST(RequestedLibraries, ReadTwicePerCycleWhenRequestedTwiceAfterTheListedOnes) {
    LibraryHarness h;
    h.main_module({.externals = {"x"}}, {"C.LIB"}, {"RL", "RL"});
    h.write("C.LIB", LibraryWriter());
    LibraryWriter rl;
    rl.add(library_module("Y", {.labels = {"y"}}));
    rl.add(library_module("X", {.labels = {"x"}, .externals = {"y"}}));
    h.write("RL.LIB", rl);
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.taken(), (Names{"X:1:1", "Y:0:2"}));
    EXPECT_EQ(h.ctx.reader.requested_libs->found, 1);
    EXPECT_EQ(h.ctx.reader.requested_libs->next->found, 1);
}

}  // namespace
}  // namespace orv::test
