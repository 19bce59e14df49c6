#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/host_skips.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// The .deb that make package writes holds the programs, the man pages, the
// documentation and the CMake package; unpacked into a scratch root, its
// linker runs and names the version.
TEST(Package, TheDebUnpacksIntoARootWhoseLinkerRuns) {
    SKIP_ON_WINDOWS("builds and unpacks a .deb with the build host's cpack and dpkg");
    if (run_program("dpkg-deb", ".", {"--version"}).status == 127) GTEST_SKIP() << "dpkg-deb is not installed";
    TempDir dir;
    RunResult pack = run_program("cpack", ORV_TOOLS_DIR,
                                 {"--config", std::string(ORV_TOOLS_DIR) + "/CPackConfig.cmake", "-G", "DEB", "-B",
                                  dir.path().string()});
    ASSERT_EQ(pack.status, 0) << pack.out << pack.err;
    std::filesystem::path deb;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().extension() == ".deb") deb = entry.path();
    }
    ASSERT_FALSE(deb.empty()) << pack.out;
    EXPECT_EQ(deb.filename().string().substr(0, 14), "orvlink_4.0.0_");

    const std::filesystem::path root = dir / "root";
    RunResult unpack = run_program("dpkg-deb", dir.path(), {"-x", deb.string(), root.string()});
    ASSERT_EQ(unpack.status, 0) << unpack.err;
    for (const char* file : {"usr/bin/orvlink", "usr/bin/orvobj", "usr/bin/orvlib", "usr/share/man/man1/orvlink.1",
                             "usr/share/doc/orvlink/README.md", "usr/lib/cmake/orvlink/orvlinkConfig.cmake"}) {
        EXPECT_TRUE(std::filesystem::exists(root / file)) << file;
    }
    RunResult version = run_program((root / "usr/bin/orvlink").string(), dir.path(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Orvan Family LINKER V.4.00.00 \n");
    RunResult fields = run_program("dpkg-deb", dir.path(), {"--field", deb.string(), "Package", "Version"});
    EXPECT_EQ(fields.out, "Package: orvlink\nVersion: 4.0.0\n");
}

}  // namespace
}  // namespace orv::test
