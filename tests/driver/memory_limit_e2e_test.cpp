#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/host_skips.h"
#include "fixture/object_writer.h"
#include "support/sanitizer.h"
#include "support/shell_run.h"

namespace orv::test {
namespace {

// Runs the linker with its address space limited to `kib` KiB.
RunResult run_limited(const TempDir& dir, long kib, const std::string& command) {
    return run_orvlink_shell(dir.path(), "ulimit -v " + std::to_string(kib) + " && exec \"$0\" \"$@\"", {command});
}

// The lowest limit, to 8 KiB, at which `runs` holds; it holds from there up.
long lowest_limit(const std::function<bool(long)>& runs) {
    long low = 1024;
    long high = 1024 * 1024;
    while (high - low > 8) {
        long middle = low + (high - low) / 2;
        (runs(middle) ? high : low) = middle;
    }
    return high;
}

// Memory that runs out anywhere, from the start-up to deep in pass 1, is
// error 2 with its bell and status 3; no run aborts. Below the limit at
// which the version query runs, a run ends so or does not start at all
// (the loader's status 127); between that limit and the one at which a
// link of 60000 names runs, links stop with error 2, most of them after
// they have started reading.
TEST(MemoryLimit, RunningOutOfMemoryAnywhereIsErrorTwo) {
    SKIP_ON_WINDOWS("needs ulimit -v and a POSIX shell");
    if (ADDRESS_SANITIZER) GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit leaves";
    TempDir dir;
    std::vector<orvfixture::SymbolSpec> names;
    for (uint32_t i = 0; i < 60000; ++i) names.push_back({i, "symbol_" + std::to_string(i)});
    orvfixture::ObjectWriter big;
    big.header().units({{"P", 0, 0, 0, 1}}).symbols(names).contents(0, {{0, {0x55}}});
    dir.write("BIG.ROV", big.end().bytes());
    const std::string out_of_heap = "ERROR NO.2: Out of heap space\n";

    const long query = lowest_limit([&](long kib) { return run_limited(dir, kib, "--version").status == 0; });
    for (long kib = query - 256; kib < query; kib += 8) {
        RunResult run = run_limited(dir, kib, "--version");
        if (run.status == 127) continue;
        EXPECT_EQ(run.status, 3) << kib;
        EXPECT_EQ(run.out, out_of_heap) << kib;
        EXPECT_EQ(run.err, "\a") << kib;
    }

    const long link = lowest_limit([&](long kib) { return run_limited(dir, kib, "BIG,,,-.").status == 0; });
    ASSERT_GT(link - query, 1024);
    int stopped_while_reading = 0;
    for (int k = 0; k < 24; ++k) {
        long kib = query + (link - query) * k / 24;
        RunResult run = run_limited(dir, kib, "BIG,,,-.");
        EXPECT_EQ(run.status, 3) << kib;
        EXPECT_TRUE(run.out.ends_with(out_of_heap)) << kib;
        EXPECT_EQ(run.err, "\a") << kib;
        if (run.out == "processing \"BIG.ROV\"\n" + out_of_heap) ++stopped_while_reading;
    }
    EXPECT_GT(stopped_while_reading, 12) << "limits " << query << " and " << link << " KiB";
    EXPECT_EQ(run_limited(dir, link, "BIG,,,-.").status, 0);
    EXPECT_EQ(dir.read("BIG.HEX"), ":0100000055AA\r\n:00000001FF\r\n\x1A");
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// A run that runs out of memory once its output files exist (their
// temporaries beside them) leaves no temporary behind.
TEST(MemoryLimit, RunningOutOfMemoryLeavesNoTemporary) {
    SKIP_ON_WINDOWS("needs ulimit -v and a POSIX shell");
    if (ADDRESS_SANITIZER) GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit leaves";
    TempDir dir;
    std::vector<orvfixture::SymbolSpec> names;
    for (uint32_t i = 0; i < 60000; ++i) names.push_back({i, "symbol_" + std::to_string(i)});
    orvfixture::ObjectWriter big;
    big.header().units({{"P", 0, 0, 0, 1}}).symbols(names).contents(0, {{0, {0x55}}});
    dir.write("M00000.ROV", big.end().bytes());
    const std::string command = "M00000,,,-. -M -S";
    const long link = lowest_limit([&](long kib) { return run_limited(dir, kib, command).status == 0; });
    int failed = 0;
    for (long kib = link - 2048; kib < link; kib += 128) {
        RunResult run = run_limited(dir, kib, command);
        if (run.status != 0) ++failed;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            EXPECT_NE(entry.path().filename().string()[0], '.') << kib << " KiB left " << entry.path();
        }
    }
    EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace orv::test
