#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pass2_harness.h"

namespace orv::test::p2 {
namespace {

// A module's bytes and where its parts start, counted from its first byte.
struct ModuleImage {
    Bytes bytes;
    long resume = 0;  // first tag after the pass-1 part
    long reloc = 0;   // first relocation tag, 0 when none
    long code = 0;    // first contents tag, 0 when none
};

// A module of one unit whose pass-2 part holds the given data bytes (none:
// no contents) and, with `relocated`, a 2-byte address field at offset 1.
ModuleImage module_image(const std::string& source, const Bytes& data, int32_t relocated = -1,
                         const std::string& version = "1.00") {
    ObjectWriter w;
    w.header(source, version).units({{"P", 0, 0, 0, 0x10}}).externals({"x"});
    ModuleImage m;
    m.resume = long(w.size());
    if (relocated >= 0) {
        m.reloc = long(w.size());
        w.relocation(0, {{1, REL_ADDRESS, 2, e(k(relocated))}});
    }
    if (!data.empty()) {
        m.code = long(w.size());
        w.contents(0, {{0, data}});
    }
    m.bytes = w.end().bytes();
    return m;
}

// Pass 2 over files and tables laid out as pass 1 leaves them.
struct Driver {
    // A listed (table rel) or requested (table req) relocatable file.
    void object(const std::string& name, const ModuleImage& m, int32_t first_unit, int32_t last_unit,
                ModuleTable& table) {
        h.write(name, ByteWriter().raw(m.bytes));
        table.first_unit.push_back(first_unit);
        table.last_unit.push_back(last_unit);
        table.resume_offset.push_back(m.resume);
        table.externals.push_back(ExternalRange{});
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

    void take(const char* module, int library_index, long image_offset, const ModuleImage& m, int32_t unit) {
        h.ctx.library.lib_modules.push_back(LibModule{module, library_index, 0, int32_t(image_offset),
                                                      m.reloc != 0 ? int32_t(image_offset + m.reloc) : 0,
                                                      m.code != 0 ? int32_t(image_offset + m.code) : 0,
                                                      unit, unit});
    }

    int run_pass2() {
        return h.run([&] { pass2(h.ctx); });
    }

    Pass2Harness h;
    RequestedFile requested_file{"C.ROV", nullptr};
    RequestedLib requested_lib{"R.LIB", 1, nullptr};
};

// A.ROV and B.ROV (no relocation, no contents), the requested C.ROV; M2,
// M1 and M3 (no contents) taken from L1.LIB in that order, N1 from L3.LIB
// and R1 from the requested R.LIB taken in between; L2.LIB gave nothing.
void whole_link(Driver& t) {
    Pass2Harness& h = t.h;
    h.unit("P", 0x0000, 0x10);           // 0: A.ROV
    h.unit("P", 0x0010, 0x10);           // 1: C.ROV
    h.unit("P", 0x0020, 0x10, 0, "M1");  // 2
    h.unit("P", 0x0030, 0x10, 0, "M2");  // 3
    h.unit("Q", 0x0100, 0x10, 0, "M3");  // 4
    h.unit("P", 0x0040, 0x10, 0, "R1");  // 5
    h.unit("P", 0x0050, 0x10, 0, "N1");  // 6
    h.ctx.command.rel_file_names = {"A.ROV", "B.ROV"};
    t.object("A.ROV", module_image("a.src", {0xA0, 0, 0}, 0x1234), 0, 0, h.ctx.pass1.rel);
    t.object("B.ROV", module_image("b.src", {}), 1, 0, h.ctx.pass1.rel);
    h.ctx.reader.requested_files = &t.requested_file;
    h.ctx.reader.requested_file_count = 1;
    t.object("C.ROV", module_image("c.src", {0xC0}), 1, 1, h.ctx.pass1.req);
    h.ctx.command.lib_file_names = {"L1.LIB", "L2.LIB", "L3.LIB"};
    h.ctx.reader.requested_libs = &t.requested_lib;
    h.ctx.reader.requested_lib_count = 1;
    ModuleImage m1 = module_image("m1.src", {0xE1, 0, 0}, 0x11), m2 = module_image("m2.src", {0xE2}),
                m3 = module_image("m3.src", {}), n1 = module_image("n1.src", {0x4E}),
                r1 = module_image("r1.src", {0x52});
    std::vector<long> l1 = t.library("L1.LIB", {m1, m2, m3});
    t.take("M2", 0, l1[1], m2, 3);
    t.take("R1", 3, t.library("R.LIB", {r1})[0], r1, 5);
    t.take("M1", 0, l1[0], m1, 2);
    t.take("N1", 2, t.library("L3.LIB", {n1})[0], n1, 6);
    t.take("M3", 0, l1[2], m3, 4);
}

// Without -N the requested file and library would come in between; the
// end-to-end tests show them in their places.
TEST(Pass2Driver, NoRequestLeavesRequestedFilesAndLibrariesOut) {
    Driver t;
    whole_link(t);
    t.h.ctx.options.opt_no_request = 1;
    t.h.ctx.options.opt_quiet = 1;
    EXPECT_EQ(t.run_pass2(), 0);
    EXPECT_EQ(t.h.out.text(),
              "processing \"A.ROV\"\n"
              "processing \"L1.LIB ( M2 )\"\n"
              "processing \"L1.LIB ( M1 )\"\n"
              "processing \"L1.LIB ( M3 )\"\n"
              "processing \"L3.LIB ( N1 )\"\n");
    EXPECT_EQ(t.h.err.text(), "");
    EXPECT_EQ(t.h.hex_text(),
              ":03000000A0341217\r\n"
              ":01003000E2ED\r\n"
              ":03002000E11100EB\r\n"
              ":010050004E61\r\n");
    EXPECT_EQ(t.h.image().size(), 0x51u);
    // Library units carry their own module's source name now.
    const auto& units = t.h.ctx.sections.unit_table;
    EXPECT_STREQ(units[0]->source_name, "test.src");
    EXPECT_STREQ(units[2]->source_name, "m1.src");
    EXPECT_STREQ(units[4]->source_name, "m3.src");
    EXPECT_STREQ(t.h.ctx.reader.current_file, "L3.LIB");
}

void expect_end(const std::function<void(Driver&)>& scene, int status, const std::string& out) {
    Driver t;
    scene(t);
    EXPECT_EQ(t.run_pass2(), status);
    EXPECT_EQ(t.h.out.text(), out);
}

TEST(Pass2Driver, FilesAndLibraryModulesThatCannotBeReadAreFatal) {
    auto one_file = [](Driver& t) {
        t.h.unit("P", 0x0000, 0x10);
        t.h.ctx.command.rel_file_names = {"A.ROV"};
        t.object("A.ROV", module_image("a.src", {0xA0}), 0, 0, t.h.ctx.pass1.rel);
    };
    // Two modules of one library; the second was made with another version.
    auto two_versions = [](Driver& t, const char* member) {
        t.h.unit("P", 0x0000, 0x10, 0, member);
        t.h.unit("P", 0x0010, 0x10, 0, "M2");
        ModuleImage m1 = module_image("m1.src", {1}), m2 = module_image("m2.src", {2}, -1, "2.00");
        std::vector<long> offsets = t.library("L.LIB", {m1, m2});
        t.h.ctx.command.lib_file_names = {"L.LIB"};
        t.take("M1", 0, offsets[0], m1, 0);
        t.take("M2", 0, offsets[1], m2, 1);
    };
    expect_end([&](Driver& t) {
        one_file(t);
        std::filesystem::remove(t.h.dir / "A.ROV");
    }, 2, "ERROR NO.0: A.ROV File not found\n");
    expect_end([&](Driver& t) {
        one_file(t);
        t.h.ctx.pass1.rel.resume_offset[0] = -1;
    }, 3, "ERROR NO.16: File seek error A.ROV\n");
    expect_end([](Driver& t) {
        t.h.unit("P", 0x0000, 0x10, 0, "M1");
        t.h.ctx.command.lib_file_names = {"GONE.LIB"};
        t.take("M1", 0, 0, module_image("m1.src", {}), 0);
    }, 2, "ERROR NO.0: GONE.LIB File not found\n");
    expect_end([&](Driver& t) { two_versions(t, nullptr); }, 4,
               "processing \"L.LIB ( M1 )\"\n" + internal_error_text("24.1"));
    // The header is read again with the checks of pass 1.
    expect_end([&](Driver& t) {
        two_versions(t, "M1");
        t.h.ctx.options.opt_version_check = 1;
    }, 1, "processing \"L.LIB ( M1 )\"\nprocessing \"L.LIB ( M2 )\"\n"
          "ERROR NO.8: Program version is different\n");
}

TEST(Pass2Driver, LookingForTheContentsPassesRelocationRecordsOfEveryShape) {
    using namespace orvfixture;
    Pass2Harness h;
    h.write("SKIP.ROV", ObjectWriter()
                            .relocation(0, {{1, REL_VALUE, 1,
                                             e(name_term("a"))
                                                 .then('+', section_size_term("P"))
                                                 .then('-', unit_term(0, 4, PREFIX_HIGH))},
                                            {3, REL_ADDRESS, 2, Expr(name_term("b", PREFIX_BANK), k(1))},
                                            {5, REL_ADDRESS, 2,
                                             Expr(unit_term(0, 1, PREFIX_LOW16), k(1, PREFIX_NOT))
                                                 .then('*', k(2, PREFIX_COMPLEMENT))}})
                            .relocation(1, {})
                            .contents(0, {{0, {1}}})
                            .end());
    auto stream = h.open("SKIP.ROV");
    EXPECT_EQ(find_contents(*stream), 1);
    EXPECT_EQ(red_number(*stream, 2), 0u);
    EXPECT_EQ(red_number(*stream, 4), 4u);

    h.write("NONE.ROV", ObjectWriter().relocation(0, {{1, REL_VALUE, 1, e(k(1))}}).local_symbols({}).end());
    EXPECT_EQ(find_contents(*h.open("NONE.ROV")), 0);

    // The relocation handle takes the tags that may follow the pass-1 part.
    for (int tag : {0xF7, 0xF8, 0xF9, 0xFA, 0xFF, 0xE1, 0xE6}) {
        h.write("TAG.ROV", ByteWriter().n1(uint32_t(tag)));
        EXPECT_EQ(starts_with_relocation(*h.open("TAG.ROV")), tag == 0xF7 ? 1 : 0) << tag;
    }
}

TEST(Pass2Driver, MalformedRecordsMetWhileLookingForTheContentsStopAtTheirOwnPoint) {
    Pass2Harness h;
    // A relocation record of one entry at 1 up to its expression.
    auto entry = [] { return ByteWriter().n1(0xF7).n2(0).n3(1).n1(0xFF).n1(0); };
    const std::vector<std::pair<const char*, ByteWriter>> cases = {
        {"24.3", ByteWriter().n1(0xF3)},
        {"24.3", ByteWriter()},
        {"25", entry().n1(0xF3).str("P").n1(0xF2).n4(1).n1(0xFF)},
        {"25", entry().n1(0x83).n1(0xF2).n4(1).n1(0xFF)},
        {"26", entry().n1(0xF2).n4(0).n1(0xF2).n4(1).n1(0x40)},
        {"26", entry().n1(0xF2).n4(0).n1(0xF1).raw({'a', 'b'})},
        {"26", entry().n1(0xF1).raw({'a', 'b'})},
        {"26", entry().n1(0xF2).n4(0)},
        {"9", entry().n1(0xF0).n2(0)},
    };
    std::string expected;
    for (const auto& [point, bytes] : cases) {
        h.write("BAD.ROV", bytes);
        EXPECT_EQ(h.run([&] { find_contents(*h.open("BAD.ROV")); }), 4) << point;
        expected += internal_error_text(point);
    }
    h.write("TAG.ROV", ByteWriter().n1(0xE0));
    EXPECT_EQ(h.run([&] { starts_with_relocation(*h.open("TAG.ROV")); }), 4);
    EXPECT_EQ(h.out.text(), expected + internal_error_text("24.2"));
}

}  // namespace
}  // namespace orv::test::p2
