#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "library_support.h"

namespace orv::test {
namespace {

using orvfixture::Bytes;
using orvfixture::LibraryModule;
using orvfixture::LibraryWriter;

// The module MAIN.ROV needs: two labels, one unit and one external.
LibraryModule needed_module() {
    return orvfixture::library_module("X", module_image({.labels = {"x", "xx"}, .externals = {"e"}}).bytes());
}

LibraryWriter library_of(const LibraryModule& module) {
    LibraryWriter lib;
    lib.add(module);
    return lib;
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Links MAIN.ROV, which needs x, against L.LIB holding `bytes`.
Outcome link_with(const Bytes& bytes) {
    LibraryHarness h;
    h.main_module({.externals = {"x"}}, {"L.LIB"});
    h.dir.write("L.LIB", bytes);
    int status = h.run_pass1();
    return {status, h.out_text(), h.err_text()};
}

void expect_fatal(const Outcome& outcome, const std::string& message, int status, const std::string& what) {
    EXPECT_EQ(outcome.status, status) << what;
    EXPECT_EQ(outcome.out, PASS1_START + message) << what;
    EXPECT_EQ(outcome.err, "now processing pass 1\n\a") << what;
}

void expect_point(const Outcome& outcome, const std::string& point, const std::string& what) {
    expect_fatal(outcome, internal_error_line(point), 4, what);
}

Bytes patched(Bytes bytes, std::size_t at, uint8_t value) {
    bytes.at(at) = value;
    return bytes;
}

Bytes truncated(Bytes bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
}

TEST(LibraryFaults, FormatTextMustBeExactlyVerA) {
    for (std::string format : {"VER.AB", "VER.", "ver.a", ""}) {
        LibraryWriter lib = library_of(needed_module());
        lib.header.format = format;
        expect_fatal(link_with(lib.bytes()), "ERROR NO.7: L.LIB relocatable format is mismatch\n", 1, format);
    }
    // The tag before the format text is checked with the same message.
    Bytes bytes = library_of(needed_module()).bytes();
    std::size_t format_tag = 1 + std::string("ORVLIB").size() + 1;
    ASSERT_EQ(bytes[format_tag], 0xF1);
    expect_fatal(link_with(patched(bytes, format_tag, 0xF0)), "ERROR NO.7: L.LIB relocatable format is mismatch\n",
                 1, "tag");
}

TEST(LibraryFaults, EveryMissingTagHasItsPoint) {
    LibraryWriter lib = library_of(needed_module());
    Bytes bytes = lib.bytes();
    auto entry = lib.layout()[0];
    // Header: F0 "ORVLIB" F1 "VER.A" F2 "" F3 count F4 number FF.
    struct Case {
        std::size_t at;
        uint8_t tag;
        const char* point;
    };
    const Case cases[] = {
        {0, 0xF0, "12"},
        {15, 0xF2, "13"},
        {17, 0xF3, "14"},
        {22, 0xF4, "15"},
        {27, 0xFF, "16"},
        {entry.start, 0xF0, "17"},
        {entry.skip_fields, 0xF1, "18"},
        {entry.number_tag, 0xF2, "19"},
        {entry.index_block, 0xF4, "21"},
        {entry.index_records, 0xF5, "22"},
        {entry.trailer, 0xF8, "20"},
        {entry.end_tag, 0xFF, "20.1"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(bytes.at(c.at), c.tag) << c.point;
        expect_point(link_with(patched(bytes, c.at, 0xF9)), c.point, c.point);
    }
    // The reserved bytes of the trailer are not examined.
    Bytes reserved = bytes;
    for (std::size_t i = entry.end_tag - 13; i < entry.end_tag; ++i) reserved[i] = 0xF9;
    EXPECT_EQ(link_with(reserved).status, 1);  // e stays unresolved
}

TEST(LibraryFaults, IndexThatContradictsItsBlockOrItsModule) {
    // Two labels where the block counts one: the index is full.
    LibraryModule one_slot = needed_module();
    one_slot.label_count = 1;
    expect_point(link_with(library_of(one_slot).bytes()), "8", "count");

    // "x" and "xx" need five name bytes; the block allows four.
    LibraryModule short_names = needed_module();
    short_names.label_bytes = 3 * 2 + 4;
    expect_point(link_with(library_of(short_names).bytes()), "23", "names");

    // Labels of unit 0 in a module whose entry brings no unit, and labels
    // of unit 1 in a module with one.
    LibraryModule no_units = needed_module();
    no_units.summary.units.clear();
    expect_point(link_with(library_of(no_units).bytes()), "7.1", "no units");
    LibraryModule second_unit = needed_module();
    second_unit.summary.label_groups.push_back({1, {{0, "y"}}});
    expect_point(link_with(library_of(second_unit).bytes()), "7.1", "unit 1");

    LibraryModule bad_mask = needed_module();
    bad_mask.summary.bits.push_back({0x03, 0x20, "b"});
    expect_point(link_with(library_of(bad_mask).bytes()), "7.5", "mask");
}

TEST(LibraryFaults, ImpossibleIndexBlockIsRefusedBeforeAnythingIsSized) {
    std::vector<std::pair<std::string, std::function<void(LibraryModule&)>>> cases = {
        {"label bytes below the fixed part", [](LibraryModule& m) { m.label_bytes = 4 * 2 - 1; }},
        {"symbol bytes below the fixed part", [](LibraryModule& m) { m.symbol_count = 1, m.symbol_bytes = 4; }},
        {"bit bytes below the fixed part", [](LibraryModule& m) { m.bit_count = 3, m.bit_bytes = 17; }},
        {"all counts at their maximum",
         [](LibraryModule& m) {
             m.label_count = m.label_bytes = m.symbol_count = 0xFFFFFFFF;
             m.symbol_bytes = m.bit_count = m.bit_bytes = 0xFFFFFFFF;
         }},
        {"more name bytes than the file holds", [](LibraryModule& m) { m.label_bytes = 0x7FFFFFFF; }},
        {"more symbol bytes than the file holds",
         [](LibraryModule& m) { m.symbol_count = 1, m.symbol_bytes = 0xFFFFFFF0; }},
    };
    for (const auto& [what, damage] : cases) {
        LibraryModule module = needed_module();
        damage(module);
        expect_point(link_with(library_of(module).bytes()), "21.1", what);
    }
}

TEST(LibraryFaults, EndOfFileInsideTheIndexHasThePointsOfTheRecordReaders) {
    LibraryModule module = needed_module();
    auto& labels = module.summary.label_groups[0].second;
    labels.insert(labels.begin(), {9, std::string(600, 'n')});
    // A block small enough for what remains of each truncated file.
    module.label_count = 1;
    module.label_bytes = 4;
    LibraryWriter lib = library_of(module);
    Bytes bytes = lib.bytes();
    auto entry = lib.layout()[0];
    expect_point(link_with(truncated(bytes, entry.index_block + 3)), "9", "number");
    // After the tag, the unit number and the value.
    std::size_t name = entry.index_records + 1 + 2 + 3;
    ASSERT_EQ(bytes[name], 'n');
    expect_point(link_with(truncated(bytes, name + 1)), "10", "name");
    expect_point(link_with(truncated(bytes, name + 550)), "11", "long name");
}

TEST(LibraryFaults, ModuleCountBeyondTheEntriesEndsAtTheMissingEntry) {
    LibraryModule module = needed_module();
    module.image.clear();  // no images: the entry is the end of the file
    LibraryWriter lib = library_of(module);
    lib.header.module_count = 0xFFFFFFFF;
    expect_point(link_with(lib.bytes()), "17", "count");
}

TEST(LibraryFaults, SkipsThatLeaveTheFileAreSeekErrors) {
    const std::string seek_error = "ERROR NO.16: File seek error L.LIB\n";
    // A module that is not needed is passed over with skip_rest.
    for (uint32_t skip_rest : {0x7FFFFFFFu, 0xFFFFFFFFu, 0u}) {
        LibraryWriter lib;
        LibraryModule unneeded = orvfixture::library_module("U", module_image({.labels = {"u"}}).bytes());
        unneeded.skip_rest = skip_rest;
        lib.add(unneeded);
        lib.add(needed_module());
        expect_fatal(link_with(lib.bytes()), seek_error, 3, std::to_string(skip_rest));
    }

    // A skip that lands exactly at the end of the file is sound: the last
    // entry of a library without images.
    LibraryWriter at_end;
    LibraryModule first = needed_module();
    LibraryModule last = orvfixture::library_module("U", module_image({.labels = {"u"}}).bytes());
    first.image.clear();
    last.image.clear();
    at_end.add(first);
    at_end.add(last);
    EXPECT_EQ(link_with(at_end.bytes()).status, 1);  // e stays unresolved

    // A module taken in an earlier cycle is passed over with skip_all.
    LibraryHarness h;
    h.main_module({.externals = {"b"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add("A", module_image({.labels = {"a"}}).bytes());
    LibraryModule b = orvfixture::library_module("B", module_image({.labels = {"b"}, .externals = {"a"}}).bytes());
    b.skip_all = 0x10000;
    lib.add(b);
    h.write("L.LIB", lib);
    EXPECT_EQ(h.run_pass1(), 3);
    EXPECT_EQ(h.out_text(), PASS1_START + seek_error);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool ADDRESS_SANITIZER = true;
#else
constexpr bool ADDRESS_SANITIZER = false;
#endif

// Runs pass 1 with an address space of 1 GiB and exits with its status,
// its messages on standard error.
[[noreturn]] void link_in_small_heap(LibraryHarness& h) {
    rlimit limit{1u << 30, 1u << 30};
    ::setrlimit(RLIMIT_AS, &limit);
    int status = h.run_pass1();
    std::fputs(h.out_text().c_str(), stderr);
    std::exit(status);
}

TEST(LibraryFaultsDeathTest, IndexNamesBeyondTheHeapAreOutOfHeapSpace) {
    if (ADDRESS_SANITIZER) GTEST_SKIP() << "an address-space limit excludes the sanitizer's shadow memory";
    // A file large enough (sparse) to hold the 4 GiB of names its block
    // claims, read with a heap far smaller.
    LibraryHarness h;
    h.main_module({.externals = {"x"}}, {"L.LIB"});
    LibraryModule module = needed_module();
    module.label_bytes = 0xFFFFFFF0;
    h.write("L.LIB", library_of(module));
    std::filesystem::resize_file(h.dir / "L.LIB", 0x140000000);
    EXPECT_EXIT(link_in_small_heap(h), ::testing::ExitedWithCode(3), "ERROR NO.2: Out of heap space\n");
}

}  // namespace
}  // namespace orv::test
