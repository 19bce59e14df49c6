#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fuzz_entries.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// Every saved fuzz input (the seeds and the inputs of past findings) runs
// through its target's entry point as the fuzzer ran it, and ends with one of
// the documented exit statuses. Under the sanitizer build a crash, leak or
// undefined behaviour in any of them fails the test.
TEST(FuzzRegressions, EverySavedInputEndsWithADocumentedStatus) {
    const std::filesystem::path root = ORV_FUZZ_DIR;
    int replayed = 0;
    for (const orvfuzz::Target& target : orvfuzz::targets()) {
        for (const char* folder : {"corpus", "regressions"}) {
            const std::filesystem::path dir = root / folder / target.name;
            if (!std::filesystem::is_directory(dir)) continue;
            for (const auto& file : std::filesystem::directory_iterator(dir)) {
                const std::string bytes = read_file(file.path());
                const int status = target.entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
                EXPECT_GE(status, 0) << file.path();
                EXPECT_LE(status, 4) << file.path();
                ++replayed;
            }
        }
    }
    EXPECT_GE(replayed, 17);
}

// The seeds of the link targets are valid inputs: each links without a
// finding, so the fuzzer starts from a whole link rather than an early error.
TEST(FuzzRegressions, TheLinkSeedsLinkCleanly) {
    const std::filesystem::path root = ORV_FUZZ_DIR;
    for (const orvfuzz::Target& target : orvfuzz::targets()) {
        const std::string name = target.name;
        if (name == "command") continue;  // its seeds include the queries and a prompt
        for (const auto& file : std::filesystem::directory_iterator(root / "corpus" / name)) {
            const std::string bytes = read_file(file.path());
            EXPECT_EQ(target.entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0) << file.path();
        }
    }
}

}  // namespace
}  // namespace orv::test
