#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pass1_harness.h"
#include "support/host_skips.h"

namespace orv::test {
namespace {

TEST(Pass1Driver, RecordsEachFilesUnitsAndResumeOffset) {
    Pass1Harness h;
    ObjectWriter a, b, c;
    a.header().units({{"P"}, {"Q"}}).labels(1, {{0, "a"}}).externals({"b"});
    b.header().symbols({{1, "b"}});  // no units
    c.header().units({{"P"}});
    const long ends[] = {long(a.size()), long(b.size()), long(c.size())};
    a.contents(0, {});
    b.tag(0xF7);
    c.end();
    h.write("A.ROV", a);
    h.write("B.ROV", b);
    h.write("C.ROV", c);
    h.list({"A.ROV", "B.ROV", "C.ROV"});
    ASSERT_EQ(h.run_pass1(), 0);
    const ModuleTable& rel = h.ctx.pass1.rel;
    EXPECT_EQ(rel.first_unit, (std::vector<int32_t>{0, 2, 2}));
    EXPECT_EQ(rel.last_unit, (std::vector<int32_t>{1, 1, 2}));
    // The offset of the stop tag, where pass 2 starts reading.
    EXPECT_EQ(rel.resume_offset, (std::vector<long>{ends[0], ends[1], ends[2]}));
}

TEST(Pass1Driver, ResolvedLinkNeverOpensItsLibraries) {
    Pass1Harness h;
    h.dir.write("A.ROV", defining("a", {"b"}, {}, {"REQLIB"}));
    h.dir.write("B.ROV", defining("b", {"a"}));
    h.list({"A.ROV", "B.ROV"}, {"MISSING.LIB"});
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out.text(), "processing \"A.ROV\"\nprocessing \"B.ROV\"\n");
    EXPECT_EQ(h.err.text(), "now processing pass 1\n");
}

// A asks for B (listed), for C twice, for c (another name) and for A.ROV
// (which becomes A.ROV.ROV); B's and C's requests are not collected: only
// listed files may request.
TEST(Pass1Driver, RequestedFilesAreReadOnceAfterTheListedFiles) {
    SKIP_ON_WINDOWS("C.ROV and c.ROV are one file on Windows, whose file names ignore letter case");
    Pass1Harness h;
    h.dir.write("A.ROV", defining("a", {"c"}, {"B", "C", "C", "c", "A.ROV"}, {"LIBA"}));
    h.dir.write("B.ROV", defining("b", {}, {"C", "A"}, {"LIBA"}));
    h.dir.write("C.ROV", defining("c", {}, {"D"}, {"LIBC"}));
    h.dir.write("A.ROV.ROV", defining("a2"));
    h.dir.write("c.ROV", defining("lower"));
    h.list({"A.ROV", "B.ROV"});
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.out.text(), "processing \"A.ROV\"\nprocessing \"B.ROV\"\nprocessing \"C.ROV\"\n"
                            "processing \"c.ROV\"\nprocessing \"A.ROV.ROV\"\n");

    const ReaderState& r = h.ctx.reader;
    EXPECT_EQ(r.requested_file_count, 3);
    ASSERT_EQ(r.requested_lib_count, 2) << "libraries are kept as often as requested";
    EXPECT_STREQ(r.requested_libs->name, "LIBA.LIB");
    EXPECT_STREQ(r.requested_libs->next->name, "LIBA.LIB");
    EXPECT_EQ(r.requested_libs->found, 0);
    const ModuleTable& req = h.ctx.pass1.req;
    EXPECT_EQ(req.first_unit, (std::vector<int32_t>{2, 3, 4}));
    EXPECT_EQ(req.last_unit, (std::vector<int32_t>{2, 3, 4}));
    EXPECT_EQ(req.resume_offset.size(), 3u);
}

TEST(Pass1Driver, NoRequestOptionReadsNoRequestedFileOrLibrary) {
    Pass1Harness h;
    h.dir.write("A.ROV", defining("a", {"b"}, {"B"}, {"LIB"}));
    h.dir.write("B.ROV", defining("b"));
    h.list({"A.ROV"});
    h.ctx.options.opt_no_request = 1;
    EXPECT_EQ(h.run_pass1(), 1);
    EXPECT_EQ(h.out.text(), "processing \"A.ROV\"\nERROR NO.9: Unresolved label \"b\" in A.ROV\n");
    EXPECT_TRUE(h.ctx.pass1.req.first_unit.empty());
}

// One character more is error 0, shown end to end.
TEST(Pass1Driver, RequestedNameOf507CharactersIsKept) {
    Pass1Harness h;
    std::string longest(507, 'n');
    h.dir.write("A.ROV", defining("a", {}, {}, {longest}));
    h.list({"A.ROV"});
    EXPECT_EQ(h.run_pass1(), 0);
    EXPECT_EQ(h.ctx.reader.requested_libs->name, longest + ".LIB");
}

TEST(Pass1Driver, LibraryDirectoryComesFromLIBOV) {
    std::string dir511(511, 'd'), dir512(512, 'd');
    const struct {
        const char* value;  // null: unset
        bool kept;
    } cases[] = {{nullptr, false}, {"", false}, {"C:\\LIBS", true}, {dir511.c_str(), true},
                 {dir512.c_str(), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value == nullptr ? "unset" : std::to_string(std::strlen(c.value)));
        if (c.value == nullptr) {
            unset_environment("LIBOV");
        } else {
            set_environment("LIBOV", c.value);
        }
        Pass1Harness h;
        h.dir.write("A.ROV", defining("a"));
        h.list({"A.ROV"});
        ASSERT_EQ(h.run_pass1(), 0);
        const char* kept = h.ctx.pass1.library_dir;
        EXPECT_EQ(kept == nullptr ? "" : std::string(kept), c.kept ? std::string(c.value) : "");
        EXPECT_EQ(h.ctx.pass1.library_dir_length, c.kept ? std::strlen(c.value) : 0u);
    }
    unset_environment("LIBOV");
}

}  // namespace
}  // namespace orv::test
