#include <gtest/gtest.h>

#include <string>

#include "broken_objects.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

ObjectWriter module_defining(const std::string& label, const std::vector<std::string>& externals) {
    ObjectWriter w;
    w.header("src.asm").units({{"P", 0, 0, 0, 4}}).labels(0, {{0, label}});
    if (!externals.empty()) w.externals(externals);
    w.contents(0, {{0, {1, 2, 3, 4}}}).end();
    return w;
}

bool starts_with(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Only what pass 1 prints is checked: the later phases have their own tests.
TEST(Pass1EndToEnd, ResolvedLinkPrintsItsProgressLines) {
    TempDir dir;
    dir.write("main.rov", module_defining("a", {"b"}).bytes());
    dir.write("sub.rov", module_defining("b", {"a"}).bytes());

    RunResult loud = run_orvlink(dir.path(), {"main", "sub,", ",", ",-N"});
    EXPECT_TRUE(starts_with(loud.out, "processing \"MAIN.ROV\"\nprocessing \"SUB.ROV\"\n")) << loud.out;
    EXPECT_NE(loud.err.find("now processing pass 1\n"), std::string::npos) << loud.err;
    EXPECT_EQ(loud.out.find("Libraries"), std::string::npos);

    RunResult quiet = run_orvlink(dir.path(), {"main", "sub,", ",", ",-."});
    EXPECT_TRUE(starts_with(quiet.out, "processing \"MAIN.ROV\"\nprocessing \"SUB.ROV\"\n")) << quiet.out;
    EXPECT_EQ(quiet.err.find("now processing pass 1"), std::string::npos) << quiet.err;
}

TEST(Pass1EndToEnd, UnresolvedAndMultipleNamesEndWithStatusOneAndNoBell) {
    TempDir dir;
    dir.write("main.rov", module_defining("twice", {"nowhere"}).bytes());
    dir.write("sub.rov", module_defining("twice", {"Nowhere"}).bytes());
    RunResult run = run_orvlink(dir.path(), {"main", "sub,", ",", ",-."});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\nprocessing \"SUB.ROV\"\n"
              "ERROR NO.9: Unresolved label \"Nowhere\" in SUB.ROV\n"
              "ERROR NO.9: Unresolved label \"nowhere\" in MAIN.ROV\n"
              "ERROR NO.10: \"twice\" is multiple defined in MAIN.ROV. others in SUB.ROV\n");
    EXPECT_EQ(run.err, "");
}

TEST(Pass1EndToEnd, EveryMalformedFileEndsWithItsPointAndStatusFour) {
    for (const BrokenFile& file : broken_files()) {
        TempDir dir;
        dir.write("bad.rov", file.bytes);
        RunResult run = run_orvlink(dir.path(), {"bad,", ",", ",-."});
        EXPECT_EQ(run.status, 4) << file.what;
        EXPECT_EQ(run.out, "processing \"BAD.ROV\"\nERROR NO.6: Internal error at POINT " + std::string(file.point) +
                               "\n")
            << file.what;
        EXPECT_EQ(run.err, "\a") << file.what;
    }
}

}  // namespace
}  // namespace orv::test
