#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pass2/contents.h"
#include "pass2/pass2.h"
#include "pass2/relocation.h"
#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

using orvfixture::ByteWriter;
using orvfixture::Bytes;
using orvfixture::constant_term;
using orvfixture::Expr;
using orvfixture::name_term;
using orvfixture::ObjectWriter;
using orvfixture::UnitSpec;

Expr value_of(int32_t value) { return Expr(constant_term(0), constant_term(uint32_t(value))); }

// A module's bytes and where its parts start, counted from its first byte.
struct ModuleImage {
    Bytes bytes;
    long resume = 0;  // first tag after the pass-1 part
    long reloc = 0;   // first relocation tag, 0 when none
    long code = 0;    // first contents tag, 0 when none
};

ModuleImage module_image(const std::string& source, const ObjectWriter& relocation,
                         const ObjectWriter& contents, const std::string& version = "1.00") {
    ObjectWriter w;
    w.header(source, version).units({{"P", 0, 0, 0, 0x10}}).externals({"x"});
    ModuleImage m;
    m.resume = long(w.size());
    if (relocation.size() != 0) {
        m.reloc = long(w.size());
        w.raw(relocation.bytes());
    }
    if (contents.size() != 0) {
        m.code = long(w.size());
        w.raw(contents.bytes());
    }
    w.end();
    m.bytes = w.bytes();
    return m;
}

ObjectWriter block_of(uint16_t unit, Bytes data) {
    ObjectWriter w;
    w.contents(unit, {{0, std::move(data)}});
    return w;
}

// Runs pass 2 in the harness's directory, where the files are named bare
// as the command would name them.
class Pass2DriverTest : public ::testing::Test {
protected:
    Pass2DriverTest() : saved_dir(std::filesystem::current_path()) {
        std::filesystem::current_path(h.dir.path());
    }
    ~Pass2DriverTest() override { std::filesystem::current_path(saved_dir); }

    void rel_file(const std::string& name, const ModuleImage& m, int32_t first_unit, int32_t last_unit) {
        h.write(name, ByteWriter().raw(m.bytes));
        h.ctx.command.rel_file_names.push_back(h.ctx.str_save(name));
        h.ctx.pass1.rel.first_unit.push_back(first_unit);
        h.ctx.pass1.rel.last_unit.push_back(last_unit);
        h.ctx.pass1.rel.resume_offset.push_back(m.resume);
    }

    void requested_file(const std::string& name, const ModuleImage& m, int32_t first_unit,
                        int32_t last_unit) {
        h.write(name, ByteWriter().raw(m.bytes));
        auto* node = pool_new<RequestedFile>(h.ctx.pools.mem_pool, h.ctx.str_save(name), nullptr);
        if (last_requested == nullptr) {
            h.ctx.reader.requested_files = node;
        } else {
            last_requested->next = node;
        }
        last_requested = node;
        h.ctx.reader.requested_file_count++;
        h.ctx.pass1.req.first_unit.push_back(first_unit);
        h.ctx.pass1.req.last_unit.push_back(last_unit);
        h.ctx.pass1.req.resume_offset.push_back(m.resume);
    }

    // A library file holding the images one after another behind a few
    // bytes that stand for its own header; returns each image's offset.
    std::vector<long> library(const std::string& name, const std::vector<ModuleImage>& images) {
        ByteWriter file;
        file.raw(Bytes(7, 0x5A));
        std::vector<long> offsets;
        for (const ModuleImage& m : images) {
            offsets.push_back(long(file.size()));
            file.raw(m.bytes);
        }
        h.write(name, file);
        return offsets;
    }

    void take(const char* module, int library_index, long image_offset, const ModuleImage& m,
              int32_t first_unit, int32_t last_unit) {
        LibModule entry{};
        entry.name = module;
        entry.library_index = library_index;
        entry.image_offset = int32_t(image_offset);
        entry.reloc_offset = m.reloc != 0 ? int32_t(image_offset + m.reloc) : 0;
        entry.code_offset = m.code != 0 ? int32_t(image_offset + m.code) : 0;
        entry.first_unit = first_unit;
        entry.last_unit = last_unit;
        h.ctx.library.lib_modules.push_back(entry);
    }

    void requested_lib(const std::string& name) {
        auto* node = pool_new<RequestedLib>(h.ctx.pools.mem_pool, h.ctx.str_save(name), 1, nullptr);
        if (last_lib == nullptr) {
            h.ctx.reader.requested_libs = node;
        } else {
            last_lib->next = node;
        }
        last_lib = node;
        h.ctx.reader.requested_lib_count++;
    }

    int run_pass2() {
        return h.run([&] { pass2(h.ctx); });
    }

    Pass2Harness h;
    std::filesystem::path saved_dir;
    RequestedFile* last_requested = nullptr;
    RequestedLib* last_lib = nullptr;
};

TEST_F(Pass2DriverTest, ModulesGoIntoTheImageInTheFixedOrder) {
    h.unit("P", 0x0000, 0x10);                  // 0: A.ROV
    h.unit("P", 0x0010, 0x10);                  // 1: C.ROV, requested
    h.unit("P", 0x0020, 0x10, 0, "M1");         // 2: L1.LIB ( M1 )
    h.unit("P", 0x0030, 0x10, 0, "M2");         // 3: L1.LIB ( M2 )
    h.unit("Q", 0x0100, 0x10, 0, "M3");         // 4: L1.LIB ( M3 ), no contents
    h.unit("P", 0x0040, 0x10, 0, "R1");         // 5: R.LIB ( R1 )
    h.unit("P", 0x0050, 0x10, 0, "N1");         // 6: L3.LIB ( N1 )
    h.label("a_label", 0x1234);

    ObjectWriter a_reloc;
    a_reloc.relocation(0, {{1, REL_ADDRESS, 2, Expr(constant_term(0), name_term("a_label"))}});
    rel_file("A.ROV", module_image("a.src", a_reloc, block_of(0, {0xA0, 0, 0})), 0, 0);
    // B has neither relocation nor contents: it is opened and passed over.
    rel_file("B.ROV", module_image("b.src", {}, {}), 1, 0);
    h.ctx.command.lib_file_names = {"L1.LIB", "L2.LIB", "L3.LIB"};
    requested_file("C.ROV", module_image("c.src", {}, block_of(0, {0xC0})), 1, 1);

    ObjectWriter m1_reloc;
    m1_reloc.relocation(0, {{0, REL_VALUE, 1, value_of(0x11)}});
    ModuleImage m1 = module_image("m1.src", m1_reloc, block_of(0, {0x00, 0xE1}));
    ModuleImage m2 = module_image("m2.src", {}, block_of(0, {0xE2}));
    ModuleImage m3 = module_image("m3.src", {}, {});
    std::vector<long> l1 = library("L1.LIB", {m1, m2, m3});
    // L2 gave no module: it is not even opened (the file does not exist).
    ModuleImage n1 = module_image("n1.src", {}, block_of(0, {0x4E}));
    std::vector<long> l3 = library("L3.LIB", {n1});
    ModuleImage r1 = module_image("r1.src", {}, block_of(0, {0x52}));
    std::vector<long> r = library("R.LIB", {r1});
    requested_lib("R.LIB");

    // Taken in: M2 before M1, and R1 before N1, across the libraries.
    take("M2", 0, l1[1], m2, 3, 3);
    take("R1", 3, r[0], r1, 5, 5);
    take("M1", 0, l1[0], m1, 2, 2);
    take("N1", 2, l3[0], n1, 6, 6);
    take("M3", 0, l1[2], m3, 4, 4);

    EXPECT_EQ(run_pass2(), 0);
    EXPECT_EQ(h.out_text(),
              "processing \"A.ROV\"\n"
              "processing \"C.ROV\"\n"
              "processing \"L1.LIB ( M2 )\"\n"
              "processing \"L1.LIB ( M1 )\"\n"
              "processing \"L1.LIB ( M3 )\"\n"
              "processing \"L3.LIB ( N1 )\"\n"
              "processing \"R.LIB ( R1 )\"\n");
    EXPECT_EQ(h.err_text(), "now processing pass 2\n");
    EXPECT_EQ(h.hex_text(),
              ":03000000A0341217\r\n"
              ":01001000C02F\r\n"
              ":01003000E2ED\r\n"
              ":0200200011E1EC\r\n"
              ":010050004E61\r\n"
              ":01004000526D\r\n");
    HexReadback image = read_back_hex(h.hex_path);
    ASSERT_TRUE(image.accepted) << image.messages;
    ASSERT_EQ(image.bytes.size(), 0x51u);
    EXPECT_EQ(image.bytes[0x01], 0x34);
    EXPECT_EQ(image.bytes[0x20], 0x11);
    EXPECT_EQ(image.bytes[0x50], 0x4E);

    // Library units carry their own module's source name now.
    const auto& units = h.ctx.sections.unit_table;
    EXPECT_STREQ(units[2]->source_name, "m1.src");
    EXPECT_STREQ(units[3]->source_name, "m2.src");
    EXPECT_STREQ(units[4]->source_name, "m3.src");
    EXPECT_STREQ(units[5]->source_name, "r1.src");
    EXPECT_STREQ(units[0]->source_name, "test.src");
    EXPECT_STREQ(h.ctx.reader.current_file, "R.LIB");
}

TEST_F(Pass2DriverTest, NoRequestLeavesRequestedFilesAndLibrariesOutAndQuietDropsThePassLine) {
    h.unit("P", 0x0000, 0x10);
    h.unit("P", 0x0010, 0x10);
    h.unit("P", 0x0020, 0x10, 0, "R1");
    rel_file("A.ROV", module_image("a.src", {}, block_of(0, {0xA0})), 0, 0);
    requested_file("C.ROV", module_image("c.src", {}, block_of(0, {0xC0})), 1, 1);
    ModuleImage r1 = module_image("r1.src", {}, block_of(0, {0x52}));
    take("R1", 0, library("R.LIB", {r1})[0], r1, 2, 2);
    requested_lib("R.LIB");
    h.ctx.options.opt_no_request = 1;
    h.ctx.options.opt_quiet = 1;

    EXPECT_EQ(run_pass2(), 0);
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\n");
    EXPECT_EQ(h.err_text(), "");
    EXPECT_EQ(h.hex_text(), ":01000000A05F\r\n");
}

TEST_F(Pass2DriverTest, FilesThatCannotBeOpenedOrSoughtAreFatal) {
    h.unit("P", 0x0000, 0x10);
    rel_file("A.ROV", module_image("a.src", {}, block_of(0, {0xA0})), 0, 0);
    std::filesystem::remove(h.dir / "A.ROV");
    EXPECT_EQ(run_pass2(), 2);
    EXPECT_EQ(h.out_text(), "ERROR NO.0: A.ROV File not found\n");
}

TEST_F(Pass2DriverTest, AMissingLibraryIsFileNotFound) {
    h.unit("P", 0x0000, 0x10, 0, "M1");
    h.ctx.command.lib_file_names = {"GONE.LIB"};
    take("M1", 0, 0, module_image("m1.src", {}, {}), 0, 0);
    EXPECT_EQ(run_pass2(), 2);
    EXPECT_EQ(h.out_text(), "ERROR NO.0: GONE.LIB File not found\n");
}

TEST_F(Pass2DriverTest, ASeekOutsideTheFileIsASeekError) {
    h.unit("P", 0x0000, 0x10);
    rel_file("A.ROV", module_image("a.src", {}, block_of(0, {0xA0})), 0, 0);
    h.ctx.pass1.rel.resume_offset[0] = -1;
    EXPECT_EQ(run_pass2(), 3);
    EXPECT_EQ(h.out_text(), "ERROR NO.16: File seek error A.ROV\n");
}

TEST_F(Pass2DriverTest, ALibraryUnitWithoutMemberNameIsAnInternalError) {
    h.unit("P", 0x0000, 0x10);
    ModuleImage m1 = module_image("m1.src", {}, block_of(0, {1}));
    h.ctx.command.lib_file_names = {"L.LIB"};
    take("M1", 0, library("L.LIB", {m1})[0], m1, 0, 0);
    EXPECT_EQ(run_pass2(), 4);
    EXPECT_EQ(h.out_text(), "processing \"L.LIB ( M1 )\"\n" + internal_error_text("24.1"));
}

TEST_F(Pass2DriverTest, ALibraryModuleHeaderIsCheckedAgain) {
    h.unit("P", 0x0000, 0x10, 0, "M1");
    h.unit("P", 0x0010, 0x10, 0, "M2");
    ModuleImage m1 = module_image("m1.src", {}, block_of(0, {1}), "1.00");
    ModuleImage m2 = module_image("m2.src", {}, block_of(0, {2}), "2.00");
    h.ctx.command.lib_file_names = {"L.LIB"};
    std::vector<long> offsets = library("L.LIB", {m1, m2});
    take("M1", 0, offsets[0], m1, 0, 0);
    take("M2", 0, offsets[1], m2, 1, 1);
    h.ctx.options.opt_version_check = 1;
    EXPECT_EQ(run_pass2(), 1);
    EXPECT_EQ(h.out_text(),
              "processing \"L.LIB ( M1 )\"\n"
              "processing \"L.LIB ( M2 )\"\n"
              "ERROR NO.8: Program version is different\n");
}

TEST_F(Pass2DriverTest, FindingTheContentsSkipsRelocationRecordsOfEveryShape) {
    ObjectWriter w;
    w.relocation(0, {{1, REL_VALUE, 1, Expr(constant_term(0), name_term("a"))
                                           .then('+', orvfixture::section_size_term("P"))
                                           .then('-', orvfixture::unit_term(0, 4, orvfixture::PREFIX_HIGH))},
                     {3, REL_ADDRESS, 2, Expr(name_term("b", orvfixture::PREFIX_BANK), constant_term(1))},
                     {5, REL_ADDRESS, 2, Expr(orvfixture::unit_term(0, 1, orvfixture::PREFIX_LOW16),
                                              constant_term(1, orvfixture::PREFIX_NOT))
                                             .then('*', constant_term(2, orvfixture::PREFIX_COMPLEMENT))}})
        .relocation(1, {})
        .contents(0, {{0, {1}}})
        .end();
    h.write("SKIP.ROV", w);
    auto stream = h.open("SKIP.ROV");
    int found = 0;
    EXPECT_EQ(h.run([&] { found = find_contents(*stream); }), 0);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(red_number(*stream, 2), 0u);
    EXPECT_EQ(red_number(*stream, 4), 4u);

    ObjectWriter none;
    none.relocation(0, {{1, REL_VALUE, 1, value_of(1)}}).local_symbols({}).end();
    h.write("NONE.ROV", none);
    auto no_contents = h.open("NONE.ROV");
    EXPECT_EQ(h.run([&] { found = find_contents(*no_contents); }), 0);
    EXPECT_EQ(found, 0);
}

TEST_F(Pass2DriverTest, MalformedRecordsMetWhileSkippingStopAtTheirOwnPoint) {
    struct Case {
        const char* point;
        ByteWriter bytes;
    };
    std::vector<Case> cases = {
        {"24.3", ByteWriter().n1(0xF3)},
        {"24.3", ByteWriter()},
        {"25", ByteWriter().n1(0xF7).n2(0).n3(1).n1(0xFF).n1(0).n1(0xF3).str("P").n1(0xF2).n4(1).n1(0xFF)},
        {"25", ByteWriter().n1(0xF7).n2(0).n3(1).n1(0xFF).n1(0).n1(0x83).n1(0xF2).n4(1).n1(0xFF)},
        {"26", ByteWriter().n1(0xF7).n2(0).n3(1).n1(0xFF).n1(0).n1(0xF2).n4(0).n1(0xF2).n4(1).n1(0x40)},
        {"26", ByteWriter().n1(0xF7).n2(0).n3(1).n1(0xFF).n1(0).n1(0xF2).n4(0).n1(0xF1).raw({'a', 'b'})},
        {"26", ByteWriter().n1(0xF7).n2(0).n3(1).n1(0xFF).n1(0).n1(0xF1).raw({'a', 'b'})},
        {"26", ByteWriter().n1(0xF7).n2(0).n3(1).n1(0xFF).n1(0).n1(0xF2).n4(0)},
        {"9", ByteWriter().n1(0xF7).n2(0).n3(1).n1(0xFF).n1(0).n1(0xF0).n2(0)},
    };
    std::string expected;
    for (Case& c : cases) {
        h.write("BAD.ROV", c.bytes);
        auto stream = h.open("BAD.ROV");
        EXPECT_EQ(h.run([&] { find_contents(*stream); }), 4) << c.point;
        expected += internal_error_text(c.point);
    }
    EXPECT_EQ(h.out_text(), expected);
}

TEST_F(Pass2DriverTest, TheRelocationHandleAcceptsOnlyTheTagsThatMayFollowThePassOnePart) {
    for (int tag : {0xF8, 0xF9, 0xFA, 0xFF, 0xE1, 0xE6}) {
        h.write("TAG.ROV", ByteWriter().n1(uint32_t(tag)));
        auto stream = h.open("TAG.ROV");
        int result = -1;
        EXPECT_EQ(h.run([&] { result = starts_with_relocation(*stream); }), 0);
        EXPECT_EQ(result, 0) << tag;
    }
    h.write("TAG.ROV", ByteWriter().n1(0xF7));
    auto relocation = h.open("TAG.ROV");
    EXPECT_EQ(starts_with_relocation(*relocation), 1);
    h.write("TAG.ROV", ByteWriter().n1(0xE0));
    auto bad = h.open("TAG.ROV");
    EXPECT_EQ(h.run([&] { starts_with_relocation(*bad); }), 4);
    EXPECT_EQ(h.out_text(), internal_error_text("24.2"));
}

}  // namespace
}  // namespace orv::test::p2
