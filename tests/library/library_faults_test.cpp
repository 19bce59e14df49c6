#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "library_support.h"
#include "support/host_skips.h"
#include "support/sanitizer.h"

namespace orv::test {
namespace {

// The module MAIN.ROV needs: two labels, one unit and one external.
LibraryModule needed_module() { return library_module("X", {.labels = {"x", "xx"}, .externals = {"e"}}); }

Bytes library_bytes(const std::function<void(LibraryWriter&)>& damage) {
    LibraryWriter lib;
    lib.add(needed_module());
    damage(lib);
    return lib.bytes();
}

Bytes module_bytes(const std::function<void(LibraryModule&)>& damage) {
    return library_bytes([&](LibraryWriter& lib) { damage(lib.modules[0]); });
}

Bytes patched(Bytes bytes, std::size_t at, uint8_t value) {
    bytes.at(at) = value;
    return bytes;
}

Bytes truncated(Bytes bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
}

// Links MAIN.ROV, which needs x, against L.LIB holding each case's bytes.
// Cases without a bell end with the unresolved report: e stays unresolved.
struct Case {
    std::string what;
    Bytes library;
    std::string message;
    int status;
    bool bell = true;
};

void expect_cases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LibraryHarness h;
        h.main_module({.externals = {"x"}}, {"L.LIB"});
        h.dir.write("L.LIB", c.library);
        EXPECT_EQ(h.run_pass1(), c.status);
        EXPECT_EQ(h.out.text(), PASS1_START + c.message);
        EXPECT_EQ(h.err.text(), std::string("now processing pass 1\n") + (c.bell ? "\a" : ""));
    }
}

const std::string MISMATCH = "ERROR NO.7: L.LIB relocatable format is mismatch\n";
const std::string SEEK_ERROR = "ERROR NO.16: File seek error L.LIB\n";
const std::string E_UNRESOLVED = "ERROR NO.9: Unresolved label \"e\" in L.LIB\n";

TEST(LibraryFaults, HeaderAndEntryTagsAndFormat) {
    LibraryWriter lib;
    lib.add(needed_module());
    const Bytes bytes = lib.bytes();
    const auto entry = lib.layout()[0];
    ASSERT_EQ(bytes.at(8), 0xF1);  // the format text's tag
    auto format = [](std::string text) { return library_bytes([&](LibraryWriter& l) { l.header.format = text; }); };
    std::vector<Case> cases = {
        {"VER.AB", format("VER.AB"), MISMATCH, 1},
        {"VER.", format("VER."), MISMATCH, 1},
        {"format tag", patched(bytes, 8, 0xF0), MISMATCH, 1},
        {"reserved trailer bytes are not examined", [&] {
             Bytes b = bytes;
             for (std::size_t i = entry.end_tag - 13; i < entry.end_tag; ++i) b[i] = 0xF9;
             return b;
         }(), E_UNRESOLVED, 1, false},
    };
    // Header: F0 "ORVLIB" F1 "VER.A" F2 "" F3 count F4 number FF.
    const struct {
        std::size_t at;
        uint8_t tag;
        const char* point;
    } tags[] = {{0, 0xF0, "12"}, {15, 0xF2, "13"}, {17, 0xF3, "14"}, {22, 0xF4, "15"}, {27, 0xFF, "16"},
                {entry.start, 0xF0, "17"}, {entry.skip_fields, 0xF1, "18"}, {entry.number_tag, 0xF2, "19"},
                {entry.index_block, 0xF4, "21"}, {entry.index_records, 0xF5, "22"}, {entry.trailer, 0xF8, "20"},
                {entry.end_tag, 0xFF, "20.1"}};
    for (const auto& t : tags) {
        ASSERT_EQ(bytes.at(t.at), t.tag) << t.point;
        cases.push_back({std::string("tag for ") + t.point, patched(bytes, t.at, 0xF9), internal_error_line(t.point), 4});
    }
    // A count larger than the entries present ends at the first missing one.
    cases.push_back({"module count", library_bytes([](LibraryWriter& l) {
                         l.modules[0].image.clear();
                         l.header.module_count = 0xFFFFFFFF;
                     }),
                     internal_error_line("17"), 4});
    expect_cases(cases);
}

TEST(LibraryFaults, IndexThatContradictsItsBlockOrItsModule) {
    const std::string p211 = internal_error_line("21.1");
    expect_cases({
        // Two labels where the block counts one: the index is full.
        {"count", module_bytes([](LibraryModule& m) { m.label_count = 1; }), internal_error_line("8"), 4},
        // "x" and "xx" need five name bytes; the block allows four.
        {"names", module_bytes([](LibraryModule& m) { m.label_bytes = 3 * 2 + 4; }), internal_error_line("23"), 4},
        // Labels of unit 0 in an entry without units, of unit 1 with one unit.
        {"no units", module_bytes([](LibraryModule& m) { m.summary.units.clear(); }), internal_error_line("7.1"), 4},
        {"unit 1", module_bytes([](LibraryModule& m) { m.summary.label_groups.push_back({1, {{0, "y"}}}); }),
         internal_error_line("7.1"), 4},
        // Like a relocatable file, the entry is read to its end before its labels' units are checked.
        {"unit 1 and an open trailer", module_bytes([](LibraryModule& m) {
             m.summary.label_groups.push_back({1, {{0, "y"}}});
             m.end_tag = 0xF9;
         }), internal_error_line("20.1"), 4},
        {"mask", module_bytes([](LibraryModule& m) { m.summary.bits.push_back({0x03, 0x20, "b"}); }),
         internal_error_line("7.5"), 4},
        // Blocks that no module could have are refused before anything is sized.
        {"label bytes below the fixed part", module_bytes([](LibraryModule& m) { m.label_bytes = 4 * 2 - 1; }), p211, 4},
        {"symbol bytes below the fixed part",
         module_bytes([](LibraryModule& m) { m.symbol_count = 1, m.symbol_bytes = 4; }), p211, 4},
        {"bit bytes below the fixed part", module_bytes([](LibraryModule& m) { m.bit_count = 3, m.bit_bytes = 17; }),
         p211, 4},
        {"all counts at their maximum", module_bytes([](LibraryModule& m) {
             m.label_count = m.label_bytes = m.symbol_count = 0xFFFFFFFF;
             m.symbol_bytes = m.bit_count = m.bit_bytes = 0xFFFFFFFF;
         }), p211, 4},
        {"more name bytes than the file holds", module_bytes([](LibraryModule& m) { m.label_bytes = 0x7FFFFFFF; }),
         p211, 4},
    });
}

TEST(LibraryFaults, EndOfFileInsideTheIndex) {
    LibraryWriter lib;
    lib.add(needed_module());
    auto& labels = lib.modules[0].summary.label_groups[0].second;
    labels.insert(labels.begin(), {9, std::string(600, 'n')});
    // A block small enough for what remains of each truncated file.
    lib.modules[0].label_count = 1;
    lib.modules[0].label_bytes = 4;
    const Bytes bytes = lib.bytes();
    const auto entry = lib.layout()[0];
    const std::size_t name = entry.index_records + 1 + 2 + 3;  // after the tag, the unit and the value
    ASSERT_EQ(bytes[name], 'n');
    expect_cases({
        {"number", truncated(bytes, entry.index_block + 3), internal_error_line("9"), 4},
        {"name", truncated(bytes, name + 1), internal_error_line("10"), 4},
        {"long name", truncated(bytes, name + 550), internal_error_line("11"), 4},
    });
}

// A module not needed is passed over with skip_rest, one taken in an earlier
// cycle with skip_all; a skip must land within the file (at its very end is
// sound: the last entry of a library without images).
TEST(LibraryFaults, SkipsThatLeaveTheFileAreSeekErrors) {
    auto unneeded_first = [](uint32_t skip_rest) {
        return library_bytes([=](LibraryWriter& lib) {
            LibraryModule unneeded = library_module("U", {.labels = {"u"}});
            unneeded.skip_rest = skip_rest;
            lib.modules.insert(lib.modules.begin(), unneeded);
        });
    };
    expect_cases({
        {"skip_rest far", unneeded_first(0x7FFFFFFF), SEEK_ERROR, 3},
        {"skip_rest all ones", unneeded_first(0xFFFFFFFF), SEEK_ERROR, 3},
        {"skip_rest 0", unneeded_first(0), SEEK_ERROR, 3},
        {"skip to the end", library_bytes([](LibraryWriter& lib) {
             lib.add(library_module("U", {.labels = {"u"}}));
             for (LibraryModule& m : lib.modules) m.image.clear();
         }), E_UNRESOLVED, 1, false},
        // Cycle 1 takes X, which needs a; cycle 2 takes A, then skips X.
        {"skip_all", library_bytes([](LibraryWriter& lib) {
             lib.modules[0] = library_module("X", {.labels = {"x"}, .externals = {"a"}});
             lib.modules[0].skip_all = 0x10000;
             lib.modules.insert(lib.modules.begin(), library_module("A", {.labels = {"a"}}));
         }), SEEK_ERROR, 3},
        // Cycle 1 takes X, cycle 2 takes B (needed by X, needing a), cycle
        // 3 takes A, then skips B.
        {"skip_all of a module taken by a later cycle", library_bytes([](LibraryWriter& lib) {
             lib.modules[0] = library_module("X", {.labels = {"x"}, .externals = {"b"}});
             LibraryModule b = library_module("B", {.labels = {"b"}, .externals = {"a"}});
             b.skip_all = 0x10000;
             lib.modules.insert(lib.modules.begin(), b);
             lib.modules.insert(lib.modules.begin(), library_module("A", {.labels = {"a"}}));
         }), SEEK_ERROR, 3},
    });
}

// Runs pass 1 with an address space of 1 GiB and exits with its status,
// its messages on standard error.
[[noreturn]] void link_in_small_heap(LibraryHarness& h) {
    limit_address_space(std::size_t(1) << 30);
    int status = h.run_pass1();
    std::fputs(h.out.text().c_str(), stderr);
    std::exit(status);
}

// A file large enough (sparse) to hold the 4 GiB of names its block claims,
// read with a heap far smaller.
TEST(LibraryFaultsDeathTest, IndexNamesBeyondTheHeapAreOutOfHeapSpace) {
    if (ADDRESS_SANITIZER) GTEST_SKIP() << "an address-space limit excludes the sanitizer's shadow memory";
    SKIP_ON_WINDOWS("needs an address-space limit (ulimit -v)");
    LibraryHarness h;
    h.main_module({.externals = {"x"}}, {"L.LIB"});
    h.dir.write("L.LIB", module_bytes([](LibraryModule& m) { m.label_bytes = 0xFFFFFFF0; }));
    std::filesystem::resize_file(h.dir / "L.LIB", 0x140000000);
    EXPECT_EXIT(link_in_small_heap(h), ::testing::ExitedWithCode(3), "ERROR NO.2: Out of heap space\n");
}

}  // namespace
}  // namespace orv::test
