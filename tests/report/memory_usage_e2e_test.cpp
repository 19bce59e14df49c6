#include <gtest/gtest.h>

#include <string>

#include "support/region_programs.h"

namespace orv::test {
namespace {

// Without declared regions the table shows the zero page, the special page
// and the ROM and RAM of each bank; "used" counts the bytes of the units in
// a range, by kind for the banks; sizes that are whole KiB show in KB.
TEST(MemoryUsage, WithoutRegionsTheTableShowsThePagesAndTheBanks) {
    TempDir dir;
    dir.write("MAIN.ROV", region_module({{"Z", 1, 0, 0, 0x10},
                                         {"P", 0, 0, 0, 0x100},
                                         {"S", 0, 0, 0, 4},
                                         {"E", 0, 1, 0x10000, 0x400}}));
    const std::string banks_0 =
        "Memory region         Used Size  Region Size  %age Used\n"
        "       ZERO_PAGE:         16 B        256 B       6.25%\n"
        "    SPECIAL_PAGE:          4 B        256 B       1.56%\n"
        "       ROM_BANK0:        260 B         64 KB      0.40%\n"
        "       RAM_BANK0:         16 B         64 KB      0.02%\n";
    RunResult run = run_orvlink(dir.path(), {"MAIN,,P=C000,-. -BANK", "--print-memory-usage"});
    EXPECT_EQ(run.out, "processing \"MAIN.ROV\"\n"
                       "TOTAL ROM SIZE 1284 (504H) BYTES\n"
                       "TOTAL RAM SIZE 16 (10H) BYTES\n" +
                           banks_0 +
                           "       ROM_BANK1:          1 KB        64 KB      1.56%\n"
                           "       RAM_BANK1:          0 B         64 KB      0.00%\n");
    EXPECT_EQ(run.status, 0);

    dir.write("MAIN.ROV", region_module({{"Z", 1, 0, 0, 0x10}, {"P", 0, 0, 0, 0x100}, {"S", 0, 0, 0, 4}}));
    run = run_orvlink(dir.path(), {"--print-memory-usage", "MAIN,,P=C000,-."});
    EXPECT_TRUE(run.out.ends_with("TOTAL RAM SIZE 16 (10H) BYTES\n" + banks_0)) << run.out;
}

}  // namespace
}  // namespace orv::test
