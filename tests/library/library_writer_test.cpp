#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "fixture/library_writer.h"

namespace orvfixture {
namespace {

uint32_t n4_at(const Bytes& bytes, std::size_t at) {
    return uint32_t(bytes.at(at)) << 24 | uint32_t(bytes.at(at + 1)) << 16 | uint32_t(bytes.at(at + 2)) << 8 |
           uint32_t(bytes.at(at + 3));
}

// The pass-1 part of the image used below, up to its stop tag.
ObjectWriter pass1_part() {
    ObjectWriter w;
    w.header("a.asm", "1.00", {"REQ"}, {"RL"})
        .units({{"P", 0, 0, 0, 4}, {"D", 1, 1, 0x100, 2}})
        .labels({{1, {{0, "start"}, {2, "loop"}}}, {0, {{1, "other"}}}})
        .symbols({{0x12345678, "sym"}})
        .externals({"ext1", "ext2"})
        .bit_symbols({{0x80, 0x20, "flag"}})
        .units({{"R", 1, 0, 0, 8}});
    return w;
}

Bytes image_with_records(std::size_t& reloc_at, std::size_t& code_at) {
    ObjectWriter w = pass1_part();
    reloc_at = w.size();
    // Expressions with a prefix, a name and a section size, whose bytes
    // include the tags the scan must not stop at.
    Expr address = Expr(constant_term(0), name_term("\xF8name", PREFIX_LOW)).then('+', section_size_term("P"));
    w.relocation(0, {{1, REL_ADDRESS, 2, address}});
    w.relocation(1, {{0, REL_VALUE, 1, Expr(unit_term(0, 0xF8F8F8), constant_term(0xF8F8F8F8))}});
    code_at = w.size();
    w.contents(0, {{0, {1, 2, 3, 4}}}).contents(1, {{0x100, {5, 6}}}).local_symbols({{1, "l"}}).end();
    return w.bytes();
}

TEST(LibraryWriter, SummaryComesFromTheImagesPass1Records) {
    std::size_t reloc_at = 0, code_at = 0;
    ModuleSummary summary = summarize_module(image_with_records(reloc_at, code_at));
    ASSERT_EQ(summary.units.size(), 3u);
    EXPECT_EQ(summary.units[1].section, "D");
    EXPECT_EQ(summary.units[1].address, 0x100u);
    EXPECT_EQ(summary.units[2].size, 8u);
    ASSERT_EQ(summary.label_groups.size(), 2u);
    EXPECT_EQ(summary.label_groups[0].first, 1);
    EXPECT_EQ(summary.label_groups[0].second[1].name, "loop");
    EXPECT_EQ(summary.label_groups[1].second[0].value, 1u);
    ASSERT_EQ(summary.symbols.size(), 1u);
    EXPECT_EQ(summary.symbols[0].value, 0x12345678u);
    ASSERT_EQ(summary.bits.size(), 1u);
    EXPECT_EQ(summary.bits[0].mask, 0x80);
    EXPECT_EQ(summary.externals, (std::vector<std::string>{"ext1", "ext2"}));
    EXPECT_EQ(summary.reloc_start, reloc_at);
    EXPECT_EQ(summary.code_start, code_at);
}

TEST(LibraryWriter, ImageWithoutRelocationOrContentsHasZeroOffsets) {
    ObjectWriter contents_only = pass1_part();
    std::size_t code_at = contents_only.size();
    contents_only.contents(0, {{0, {1}}}).end();
    ModuleSummary summary = summarize_module(contents_only.bytes());
    EXPECT_EQ(summary.reloc_start, 0u);
    EXPECT_EQ(summary.code_start, code_at);

    ObjectWriter bare = pass1_part();
    bare.end();
    summary = summarize_module(bare.bytes());
    EXPECT_EQ(summary.reloc_start, 0u);
    EXPECT_EQ(summary.code_start, 0u);

    ObjectWriter broken = pass1_part();
    broken.tag(0x42);
    EXPECT_THROW(summarize_module(broken.bytes()), std::invalid_argument);
}

TEST(LibraryWriter, EntryCountsSkipsAndOffsetsDescribeTheLayout) {
    std::size_t reloc_at = 0, code_at = 0;
    Bytes image = image_with_records(reloc_at, code_at);
    LibraryWriter lib;
    lib.add("FIRST", image);
    lib.add("SECOND", image);
    Bytes bytes = lib.bytes();
    auto layout = lib.layout();

    // Module count in the header.
    EXPECT_EQ(n4_at(bytes, 1 + 7 + 1 + 6 + 1 + 1 + 1), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const EntryLayout& entry = layout[i];
        EXPECT_EQ(bytes[entry.start], 0xF0);
        EXPECT_EQ(n4_at(bytes, entry.skip_fields + 1), entry.end_tag + 1 - entry.number_tag);
        EXPECT_EQ(n4_at(bytes, entry.skip_fields + 5), entry.end_tag + 1 - entry.after_index);
        // start, loop, other; sym; flag: counts and byte sums.
        const uint32_t counts[] = {3, 3 * 3 + 6 + 5 + 6, 1, 4 + 4, 1, 5 + 5, 0};
        for (std::size_t k = 0; k < 7; ++k) EXPECT_EQ(n4_at(bytes, entry.index_block + 1 + 4 * k), counts[k]) << k;
        EXPECT_EQ(bytes[entry.index_records], 0xF5);
        EXPECT_EQ(bytes[entry.after_index], 0xF3);
        EXPECT_EQ(bytes[entry.trailer], 0xF8);
        EXPECT_EQ(bytes[entry.end_tag], 0xFF);
        EXPECT_EQ(n4_at(bytes, entry.trailer + 1), entry.image);
        EXPECT_EQ(n4_at(bytes, entry.trailer + 9), entry.image + reloc_at);
        EXPECT_EQ(n4_at(bytes, entry.trailer + 17), entry.image + code_at);
        EXPECT_EQ(bytes[entry.image + reloc_at], 0xF7);
        EXPECT_EQ(bytes[entry.image + code_at], 0xF8);
        EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin() + long(entry.image)));
    }
    EXPECT_EQ(layout[1].start, layout[0].end_tag + 1);
    EXPECT_EQ(layout[1].image, layout[0].image + image.size());
    EXPECT_EQ(bytes.size(), layout[1].image + image.size());
}

}  // namespace
}  // namespace orvfixture
