#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "output/output_state.h"
#include "platform/staged_files.h"
#include "report/markup.h"
#include "report/report_file.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// A report far larger than the writer's block reaches its file whole and in
// order, whether its pieces are tiny, straddle a block's end, or are larger
// than a block; without a file the same text is held in memory.
TEST(ReportText, PiecesOfEverySizeReachTheFileInOrder) {
    std::string expected;
    auto build = [&expected](Markup& markup) {
        expected.clear();
        for (int i = 0; i < 40000; ++i) {
            markup << "<b x=\"" << Coord{i / 7.0} << "\">" << int64_t(i) * 977 - 5000;
            const long long tenths = std::llround(i / 7.0 * 10.0);
            expected += "<b x=\"" + std::to_string(tenths / 10);
            if (tenths % 10 != 0) expected += "." + std::to_string(tenths % 10);
            expected += "\">";
            expected += std::to_string(int64_t(i) * 977 - 5000);
            markup.hex(i, 4);
            char hex[16];
            std::snprintf(hex, sizeof hex, "%04X", i);
            expected += hex;
            if (i % 10000 == 9999) {
                const std::string large(300000 + i, char('a' + i % 26));
                markup << large;
                expected += large;
            }
        }
    };
    TempDir dir;
    const std::string name = (dir / "REPORT.TXT").string();
    {
        OutputState host_files;
        ReportFile file(name.c_str(), host_files);
        Markup markup(&file);
        build(markup);
        markup.flush();
        file.close();
        // The file is staged, and takes its name when the run ends.
        ASSERT_EQ(host_files.staged.size(), 1u);
        EXPECT_FALSE(dir.exists("REPORT.TXT"));
        EXPECT_TRUE(place_staged_file(host_files.staged[0].written_path, host_files.staged[0].final_path));
    }
    EXPECT_TRUE(dir.read("REPORT.TXT") == expected) << dir.read("REPORT.TXT").size() << " " << expected.size();
    Markup held;
    build(held);
    EXPECT_TRUE(held.text() == expected);
}

}  // namespace
}  // namespace orv::test
