#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pass1_harness.h"

namespace orv::test {
namespace {

using orvfixture::ObjectWriter;

// A module with the given units, labels in its unit 0 and external names.
ObjectWriter module(const std::vector<std::string>& labels, const std::vector<std::string>& externals = {},
                    const std::vector<std::string>& requested_files = {},
                    const std::vector<std::string>& requested_libs = {}) {
    ObjectWriter w;
    w.header("src.asm", "1.0", requested_files, requested_libs).units({{"P", 0, 0, 0, 4}});
    std::vector<orvfixture::LabelSpec> entries;
    for (const std::string& name : labels) entries.push_back({1, name});
    if (!entries.empty()) w.labels(0, entries);
    if (!externals.empty()) w.externals(externals);
    w.end();
    return w;
}

TEST(Pass1Driver, ReadsListedFilesInOrderAndRecordsTheModuleTable) {
    Pass1Harness h;
    ObjectWriter a;
    a.header().units({{"P"}, {"Q"}}).labels(1, {{0, "a"}}).externals({"b"}).contents(0, {});
    ObjectWriter b;
    b.header().symbols({{1, "b"}}).tag(0xF7);  // no units
    ObjectWriter c;
    c.header().units({{"P"}}).end();
    h.write("A.ROV", a);
    h.write("B.ROV", b);
    h.write("C.ROV", c);
    h.list({"A.ROV", "B.ROV", "C.ROV"});
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\nprocessing \"B.ROV\"\nprocessing \"C.ROV\"\n");
    EXPECT_EQ(h.err_text(), "now processing pass 1\n");

    const ModuleTable& rel = h.ctx.pass1.rel;
    EXPECT_EQ(rel.first_unit, (std::vector<int32_t>{0, 2, 2}));
    EXPECT_EQ(rel.last_unit, (std::vector<int32_t>{1, 1, 2}));
    // Each resume offset is the stop tag's: the byte after the pass-1 part.
    ObjectWriter a_part1;
    a_part1.header().units({{"P"}, {"Q"}}).labels(1, {{0, "a"}}).externals({"b"});
    ObjectWriter b_part1;
    b_part1.header().symbols({{1, "b"}});
    ObjectWriter c_part1;
    c_part1.header().units({{"P"}});
    EXPECT_EQ(rel.resume_offset,
              (std::vector<long>{long(a_part1.size()), long(b_part1.size()), long(c_part1.size())}));
    EXPECT_EQ(h.ctx.symbols.find_symbol("a")->unit_no, 1);
}

TEST(Pass1Driver, QuietOptionDropsOnlyThePassHeading) {
    Pass1Harness h;
    h.write("A.ROV", module({"a"}));
    h.list({"A.ROV"});
    h.ctx.options.opt_quiet = 1;
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\n");
    EXPECT_EQ(h.err_text(), "");
}

TEST(Pass1Driver, MissingFileIsErrorZeroAfterTheFilesBeforeIt) {
    Pass1Harness h;
    h.write("A.ROV", module({"a"}));
    h.list({"A.ROV", "GONE.ROV"});
    EXPECT_EQ(h.run_pass1(), 2);
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\nERROR NO.0: GONE.ROV File not found\n");
    EXPECT_EQ(h.err_text(), "now processing pass 1\n\a");
}

TEST(Pass1Driver, ResolvedLinkNeverOpensItsLibraries) {
    Pass1Harness h;
    h.write("A.ROV", module({"a"}, {"b"}, {}, {"REQLIB"}));
    h.write("B.ROV", module({"b"}, {"a"}));
    h.list({"A.ROV", "B.ROV"}, {"MISSING.LIB"});
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\nprocessing \"B.ROV\"\n");
}

TEST(Pass1Driver, UnresolvedWithoutLibrariesReportsAndEndsWithStatusOne) {
    Pass1Harness h;
    h.write("A.ROV", module({"dup"}, {"zz", "mm"}));
    h.write("B.ROV", module({"dup"}, {"mm"}));
    h.list({"A.ROV", "B.ROV"});
    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(),
              "processing \"A.ROV\"\nprocessing \"B.ROV\"\n"
              "ERROR NO.10: \"dup\" is multiple defined in A.ROV. others in B.ROV\n"
              "ERROR NO.9: Unresolved label \"mm\" in A.ROV\n"
              "ERROR NO.9: Unresolved label \"zz\" in A.ROV\n");
    EXPECT_EQ(h.err_text(), "now processing pass 1\n") << "the report rings no bell";
}

TEST(Pass1Driver, MultipleDefinitionAloneEndsThePass) {
    Pass1Harness h;
    h.write("A.ROV", module({"x"}));
    h.write("B.ROV", module({"x"}));
    h.list({"A.ROV", "B.ROV"}, {"ANY.LIB"});
    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(),
              "processing \"A.ROV\"\nprocessing \"B.ROV\"\n"
              "ERROR NO.10: \"x\" is multiple defined in A.ROV. others in B.ROV\n");
}

TEST(Pass1Driver, UnresolvedNamesWithALibraryGoOnToTheLibraries) {
    Pass1Harness h;
    h.write("A.ROV", module({}, {"from_lib"}));
    h.list({"A.ROV"}, {"L.LIB"});
    h.run_pass1();
    EXPECT_EQ(h.out_text().rfind("processing \"A.ROV\"\nprocessing \"Libraries\"\n", 0), 0u) << h.out_text();
}

TEST(Pass1Driver, RequestedFilesAreReadOnceAfterTheListedFiles) {
    Pass1Harness h;
    // A asks for B (listed), for C twice, and for c (another name); C asks
    // for D, which is not read: only listed files may request.
    h.write("A.ROV", module({"a"}, {"c"}, {"B", "C", "C", "c"}, {"LIBA"}));
    h.write("B.ROV", module({"b"}, {}, {"C", "A"}, {"LIBA"}));
    h.write("C.ROV", module({"c"}, {}, {"D"}, {"LIBC"}));
    ObjectWriter lower;
    lower.header().units({{"P"}}).symbols({{1, "lower"}}).end();
    h.dir.write("c.ROV", lower.bytes());
    h.list({"A.ROV", "B.ROV"});
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out_text(),
              "processing \"A.ROV\"\nprocessing \"B.ROV\"\nprocessing \"C.ROV\"\nprocessing \"c.ROV\"\n");

    const ReaderState& r = h.ctx.reader;
    EXPECT_EQ(r.requested_file_count, 2);
    ASSERT_EQ(r.requested_lib_count, 2) << "libraries are kept as often as requested";
    EXPECT_STREQ(r.requested_libs->name, "LIBA.LIB");
    EXPECT_STREQ(r.requested_libs->next->name, "LIBA.LIB");
    EXPECT_EQ(r.requested_libs->found, 0);

    const ModuleTable& req = h.ctx.pass1.req;
    EXPECT_EQ(req.first_unit, (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(req.last_unit, (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(req.resume_offset.size(), 2u);
}

// The extension goes on even when the requested name has one.
TEST(Pass1Driver, RequestedNameAlwaysGetsTheObjectExtension) {
    Pass1Harness h;
    h.write("A.ROV", module({"a"}, {}, {"A.ROV"}));
    h.write("A.ROV.ROV", module({"b"}));
    h.list({"A.ROV"});
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\nprocessing \"A.ROV.ROV\"\n");
}

TEST(Pass1Driver, NoRequestOptionReadsNoRequestedFile) {
    Pass1Harness h;
    h.write("A.ROV", module({"a"}, {"b"}, {"B"}, {"LIB"}));
    h.write("B.ROV", module({"b"}));
    h.list({"A.ROV"});
    h.ctx.options.opt_no_request = 1;
    EXPECT_EQ(h.run_pass1(), 1) << "requested libraries are not searched either";
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\nERROR NO.9: Unresolved label \"b\" in A.ROV\n");
    EXPECT_TRUE(h.ctx.pass1.req.first_unit.empty());
}

TEST(Pass1Driver, MissingRequestedFileIsErrorZero) {
    Pass1Harness h;
    h.write("A.ROV", module({"a"}, {}, {"NOPE"}));
    h.list({"A.ROV"});
    EXPECT_EQ(h.run_pass1(), 2);
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\nERROR NO.0: NOPE.ROV File not found\n");
}

TEST(Pass1Driver, RequestedNameOf508CharactersIsErrorZero) {
    std::string longest(507, 'n');
    {
        Pass1Harness h;
        h.write("A.ROV", module({"a"}, {}, {}, {longest}));
        h.list({"A.ROV"});
        EXPECT_EQ(h.run_pass1(), 0);
        EXPECT_EQ(h.ctx.reader.requested_libs->name, longest + ".LIB");
    }
    for (bool as_library : {false, true}) {
        Pass1Harness h;
        std::vector<std::string> names = {longest + "x"};
        h.write("A.ROV", as_library ? module({"a"}, {}, {}, names) : module({"a"}, {}, names));
        h.list({"A.ROV"});
        EXPECT_EQ(h.run_pass1(), 2);
        EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\nERROR NO.0: " + longest + "x File not found\n");
    }
}

TEST(Pass1Driver, VersionCheckCoversRequestedFiles) {
    Pass1Harness h;
    ObjectWriter a;
    a.header("a", "V1", {"B"}).end();
    ObjectWriter b;
    b.header("b", "V2").end();
    h.write("A.ROV", a);
    h.write("B.ROV", b);
    h.list({"A.ROV"});
    h.ctx.options.opt_version_check = 1;
    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out_text(),
              "processing \"A.ROV\"\nprocessing \"B.ROV\"\nERROR NO.8: Program version is different\n");
}

TEST(Pass1Driver, LibraryDirectoryComesFromLIBOV) {
    struct Case {
        const char* value;  // null: unset
        std::size_t length;
        bool kept;
    };
    std::string dir511(511, 'd');
    std::string dir512(512, 'd');
    const Case cases[] = {{nullptr, 0, false}, {"", 0, false}, {"C:\\LIBS", 7, true},
                          {dir511.c_str(), 511, true}, {dir512.c_str(), 512, false}};
    for (const Case& c : cases) {
        if (c.value == nullptr) {
            ::unsetenv("LIBOV");
        } else {
            ::setenv("LIBOV", c.value, 1);
        }
        Pass1Harness h;
        h.write("A.ROV", module({"a"}));
        h.list({"A.ROV"});
        ASSERT_EQ(h.run_pass1(), 0);
        if (c.kept) {
            ASSERT_NE(h.ctx.pass1.library_dir, nullptr);
            EXPECT_STREQ(h.ctx.pass1.library_dir, c.value);
            EXPECT_EQ(h.ctx.pass1.library_dir_length, c.length);
        } else {
            EXPECT_EQ(h.ctx.pass1.library_dir, nullptr) << c.length;
            EXPECT_EQ(h.ctx.pass1.library_dir_length, 0u);
        }
    }
    ::unsetenv("LIBOV");
}

TEST(Pass1Driver, MalformedFileEndsTheRunWithItsPoint) {
    Pass1Harness h;
    h.write("A.ROV", module({"a"}));
    ObjectWriter bad;
    bad.header().units({{"P"}}).labels(1, {{0, "no_such_unit"}}).end();
    h.write("B.ROV", bad);
    h.list({"A.ROV", "B.ROV"});
    EXPECT_EQ(h.run_pass1(), 4);
    EXPECT_EQ(h.out_text(), "processing \"A.ROV\"\nprocessing \"B.ROV\"\n" + internal_error_line("7.1"));
}

}  // namespace
}  // namespace orv::test
