#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_support.h"

namespace orv::test {
namespace {

using orvfixture::LibraryWriter;
using Names = std::vector<std::string>;

TEST(LibrarySelection, TakesExactlyTheModulesThatDefineAStillUndefinedName) {
    LibraryHarness h;
    h.main_module({.labels = {"own"}, .externals = {"lab", "sym", "bit"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add("LABELS", module_image({.labels = {"lab"}}).bytes());
    lib.add("UNUSED", module_image({.labels = {"nobody"}}).bytes());
    lib.add("SYMBOLS", module_image({.symbols = {"sym"}}).bytes());
    lib.add("BITS", module_image({.bits = {"bit"}}).bytes());
    // Defined already by MAIN.ROV: not a reason to take the module in.
    lib.add("OWN", module_image({.labels = {"own"}}).bytes());
    h.write("L.LIB", lib);

    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out_text(), PASS1_START);
    EXPECT_EQ(h.taken(), (Names{"LABELS:0:0", "SYMBOLS:2:0", "BITS:3:0"}));
    EXPECT_EQ(h.ctx.pass1.member_added, 1);

    // Each record tells pass 2 where the module's image and records lie.
    auto layout = lib.layout();
    const auto& modules = h.ctx.library.lib_modules;
    const int entries[] = {0, 2, 3};
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const auto& entry = layout[std::size_t(entries[i])];
        const auto& summary = lib.modules[std::size_t(entries[i])].summary;
        EXPECT_EQ(modules[i].image_offset, int32_t(entry.image));
        EXPECT_EQ(modules[i].reloc_offset, int32_t(entry.image + summary.reloc_start));
        EXPECT_EQ(modules[i].code_offset, int32_t(entry.image + summary.code_start));
        // MAIN.ROV has unit 0; each module brings one unit.
        EXPECT_EQ(modules[i].first_unit, int32_t(i + 1));
        EXPECT_EQ(modules[i].last_unit, int32_t(i + 1));
    }

    const SymbolEntry* lab = h.ctx.symbols.find_symbol("lab");
    ASSERT_NE(lab, nullptr);
    EXPECT_EQ(lab->state, SYM_DEFINED);
    EXPECT_STREQ(lab->file_name, "L.LIB");
    EXPECT_EQ(lab->unit_no, 1);
    EXPECT_EQ(h.ctx.symbols.find_symbol("sym")->kind, SYM_SYMBOL);
    EXPECT_EQ(h.ctx.symbols.find_symbol("bit")->bit_no, 2);
    EXPECT_EQ(h.ctx.symbols.find_symbol("nobody"), nullptr);
    EXPECT_STREQ(h.ctx.symbols.find_symbol("own")->file_name, "MAIN.ROV");

    // The units carry the library file and the module they came from.
    const Unit* unit = h.ctx.sections.find_section("P")->units->next;
    ASSERT_NE(unit, nullptr);
    EXPECT_STREQ(unit->file_name, "L.LIB");
    EXPECT_STREQ(unit->member_name, "LABELS");
    EXPECT_STREQ(h.ctx.reader.current_member, "BITS");
}

TEST(LibrarySelection, EarlierEntryIsTakenInTheNextCycleLaterOneInTheSamePass) {
    LibraryHarness h;
    h.main_module({.externals = {"b"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add("A", module_image({.labels = {"a"}}).bytes());
    lib.add("B", module_image({.labels = {"b"}, .externals = {"a", "c"}}).bytes());
    lib.add("C", module_image({.labels = {"c"}}).bytes());
    h.write("L.LIB", lib);

    ASSERT_EQ(h.run_pass1(), 0);
    // B's references count at once for C; A is reconsidered only in the
    // second cycle, which passes over B and C without a second record.
    EXPECT_EQ(h.taken(), (Names{"B:1:0", "C:2:0", "A:0:0"}));
    EXPECT_EQ(h.out_text(), PASS1_START);
    EXPECT_EQ(h.ctx.sections.unit_count, 4);
}

TEST(LibrarySelection, LibrariesAfterTheOneThatResolvesTheLastNameAreNotOpened) {
    LibraryHarness h;
    h.main_module({.externals = {"a"}}, {"ONE.LIB", "MISSING.LIB"});
    LibraryWriter one;
    one.add("A", module_image({.labels = {"a"}}).bytes());
    h.write("ONE.LIB", one);
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.taken(), (Names{"A:0:0"}));
    EXPECT_EQ(h.ctx.command.lib_file_flags, (std::vector<int>{1, 0}));
}

TEST(LibrarySelection, LaterLibraryNeedingAnEarlierOneIsResolvedNextCycle) {
    LibraryHarness h;
    h.main_module({.externals = {"b"}}, {"ONE.LIB", "TWO.LIB"});
    LibraryWriter one;
    one.add("A", module_image({.labels = {"a"}}).bytes());
    LibraryWriter two;
    two.add("B", module_image({.labels = {"b"}, .externals = {"a"}}).bytes());
    h.write("ONE.LIB", one);
    h.write("TWO.LIB", two);

    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.taken(), (Names{"B:0:1", "A:0:0"}));
}

TEST(LibrarySelection, CycleThatTakesNothingReportsTheUnresolvedNames) {
    LibraryHarness h;
    h.main_module({.externals = {"zed", "alpha"}}, {"L.LIB", "EMPTY.LIB"});
    LibraryWriter lib;
    lib.add("Z", module_image({.labels = {"zed"}, .externals = {"later"}}).bytes());
    h.write("L.LIB", lib);
    h.write("EMPTY.LIB", LibraryWriter());

    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(), PASS1_START +
                                "ERROR NO.9: Unresolved label \"alpha\" in MAIN.ROV\n"
                                "ERROR NO.9: Unresolved label \"later\" in L.LIB\n");
    EXPECT_EQ(h.err_text(), "now processing pass 1\n");
    EXPECT_EQ(h.taken(), (Names{"Z:0:0"}));
}

TEST(LibrarySelection, MissingLibraryIsErrorZero) {
    LibraryHarness h;
    h.main_module({.externals = {"x"}}, {"NOPE.LIB"});
    EXPECT_EQ(h.run_pass1(), 2);
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.0: NOPE.LIB File not found\n");
    EXPECT_EQ(h.err_text(), "now processing pass 1\n\a");
}

TEST(LibrarySelection, ModuleWithAnEmptyIndexIsNeverTaken) {
    LibraryHarness h;
    h.main_module({.externals = {"x", "y"}}, {"L.LIB"});
    LibraryWriter lib;
    // The image defines x, but the entry's index says nothing: the module
    // is passed over together with its units and external references.
    auto image = module_image({.labels = {"x"}, .externals = {"q"}}).bytes();
    auto silent = orvfixture::library_module("SILENT", image);
    silent.summary.label_groups.clear();
    lib.add(silent);
    lib.add("Y", module_image({.labels = {"y"}}).bytes());
    h.write("L.LIB", lib);

    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.taken(), (Names{"Y:1:0"}));
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.9: Unresolved label \"x\" in MAIN.ROV\n");
    EXPECT_EQ(h.ctx.symbols.find_symbol("q"), nullptr);
}

TEST(LibrarySelection, DebugOptionTracesTheLibraryReaders) {
    LibraryHarness h;
    h.ctx.options.opt_debug = 1;
    h.main_module({.externals = {"x"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add("X", module_image({.symbols = {"x"}}).bytes());
    h.write("L.LIB", lib);
    ASSERT_EQ(h.run_pass1(), 0);
    std::string out = h.out_text();
    EXPECT_NE(out.find("processing \"Libraries\"\n"
                       "now red_l_head()\n"
                       "now red_l_tbl()\n"
                       "now red_l_pub()\n"
                       "now red_r_sym()\n"
                       "now red_r_unit()\n"),
              std::string::npos)
        << out;
}

TEST(RequestedLibraries, ReadTwicePerCycleWhenRequestedTwiceAfterTheListedOnes) {
    LibraryHarness h;
    h.main_module({.externals = {"x"}}, {"C.LIB"}, {"RL", "RL"});
    h.write("C.LIB", LibraryWriter());
    LibraryWriter rl;
    rl.add("Y", module_image({.labels = {"y"}}).bytes());
    rl.add("X", module_image({.labels = {"x"}, .externals = {"y"}}).bytes());
    h.write("RL.LIB", rl);

    ASSERT_EQ(h.run_pass1(), 0);
    // The second request is library 2: it takes Y in the same cycle.
    EXPECT_EQ(h.taken(), (Names{"X:1:1", "Y:0:2"}));
    EXPECT_EQ(h.ctx.reader.requested_libs->found, 1);
    EXPECT_EQ(h.ctx.reader.requested_libs->next->found, 1);
}

TEST(RequestedLibraries, NoRequestOptionLeavesThemUnread) {
    LibraryHarness h;
    h.ctx.options.opt_no_request = 1;
    h.main_module({.externals = {"x"}}, {"C.LIB"}, {"RL"});
    h.write("C.LIB", LibraryWriter());
    LibraryWriter rl;
    rl.add("X", module_image({.labels = {"x"}}).bytes());
    h.write("RL.LIB", rl);

    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.9: Unresolved label \"x\" in MAIN.ROV\n");
    EXPECT_TRUE(h.taken().empty());
}

TEST(RequestedLibraries, MissingRequestedLibraryIsErrorZero) {
    LibraryHarness h;
    h.main_module({.externals = {"x"}}, {}, {"GONE"});
    EXPECT_EQ(h.run_pass1(), 2);
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.0: GONE.LIB File not found\n");
}

}  // namespace
}  // namespace orv::test
