#include <gtest/gtest.h>

#include "support/run_linker.h"

namespace orv::test {
namespace {

TEST(VersionQuery, PrintsTheTitleLineOnStandardErrorAndExitsZero) {
    TempDir dir;
    RunResult run = run_orvlink(dir.path(), {"-V"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Orvan Family LINKER V.4.00.00 \n");
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace orv::test
