#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "support/host_skips.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// The installed CMake package builds the blink example, in a folder whose
// path holds blanks, with either generator: the firmware links once, comes
// out as the demo's script makes it, is up to date on a second build, and
// links again when its library changes.
TEST(CmakePackage, BuildsTheExampleWithNinjaAndWithMakefiles) {
    SKIP_ON_WINDOWS("configures and builds with the build host's CMake, Ninja and make");
    TempDir dir;
    const std::filesystem::path prefix = dir / "orvan tools";
    RunResult install = run_program("cmake", dir.path(), {"--install", ORV_TOOLS_DIR, "--prefix", prefix.string()});
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    ASSERT_TRUE(std::filesystem::exists(prefix / "lib/cmake/orvlink/orvlinkConfig.cmake"));
    const std::string package_dir = "-Dorvlink_DIR=" + (prefix / "lib/cmake/orvlink").string();

    std::string first_hex;
    for (const char* generator : {"Ninja", "Unix Makefiles"}) {
        SCOPED_TRACE(generator);
        const std::filesystem::path build = dir / (std::string("blink ") + generator);
        RunResult configure = run_program("cmake", dir.path(),
                                          {"-S", ORV_EXAMPLE_DIR, "-B", build.string(), "-G", generator, package_dir});
        ASSERT_EQ(configure.status, 0) << configure.out << configure.err;
        auto links = [&] {
            RunResult run = run_program("cmake", dir.path(), {"--build", build.string()});
            EXPECT_EQ(run.status, 0) << run.out << run.err;
            return run.out.find("Linking Orvan firmware STARTUP.HEX") != std::string::npos;
        };
        EXPECT_TRUE(links());
        const std::string hex = read_file(build / "STARTUP.HEX");
        EXPECT_TRUE(hex.ends_with(":00000001FF\r\n\x1A"));
        EXPECT_TRUE(std::filesystem::exists(build / "STARTUP.MAP"));
        EXPECT_TRUE(std::filesystem::exists(build / "STARTUP.SYM"));
        if (first_hex.empty()) first_hex = hex;
        EXPECT_EQ(hex, first_hex);
        EXPECT_FALSE(links());

        // Made to lie ten seconds back, so that the library's new time is
        // later on any file system's clock.
        for (const char* file : {"STARTUP.HEX", "STARTUP.MAP", "STARTUP.SYM", "STARTUP.d"}) {
            std::filesystem::last_write_time(build / file,
                                             std::filesystem::last_write_time(build / file) - std::chrono::seconds(10));
        }
        std::filesystem::last_write_time(build / "RTL.LIB", std::filesystem::file_time_type::clock::now());
        EXPECT_TRUE(links());
        EXPECT_FALSE(links());
    }
}

}  // namespace
}  // namespace orv::test
