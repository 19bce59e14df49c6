#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/host_skips.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// cmake --install puts the five programs, a man page each and the
// documentation under the prefix; the installed linker runs, and groff reads
// every man page without a warning.
TEST(Install, ProgramsManPagesAndDocumentation) {
    SKIP_ON_WINDOWS("installs with the build host's cmake and reads the pages with groff");
    TempDir prefix;
    RunResult install = run_program("cmake", prefix.path(), {"--install", ORV_TOOLS_DIR, "--prefix", prefix.path().string()});
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    for (const char* file : {"bin/orvlink", "bin/orvobj", "bin/orvlib", "bin/orvsize", "bin/orvaddr",
                             "share/man/man1/orvlink.1", "share/man/man1/orvobj.1", "share/man/man1/orvlib.1",
                             "share/man/man1/orvsize.1", "share/man/man1/orvaddr.1", "share/doc/orvlink/README.md",
                             "share/doc/orvlink/symbol-file.md", "share/doc/orvlink/link-report.md",
                             "share/doc/orvlink/diagnostics.md", "share/doc/orvlink/object-text.md"}) {
        EXPECT_TRUE(prefix.exists(file)) << file;
    }
    RunResult version = run_program((prefix / "bin/orvlink").string(), prefix.path(), {"--version"});
    EXPECT_EQ(version.out, "Orvan Family LINKER V.4.00.00 \n");

    if (run_program("groff", prefix.path(), {"--version"}).status == 127) GTEST_SKIP() << "groff is not installed";
    for (const char* page : {"orvlink.1", "orvobj.1", "orvlib.1", "orvsize.1", "orvaddr.1"}) {
        RunResult groff = run_program("groff", prefix.path(), {"-man", "-ww", "-z", "share/man/man1/" + std::string(page)});
        EXPECT_EQ(groff.status, 0) << page;
        EXPECT_EQ(groff.err, "") << page;
    }
}

}  // namespace
}  // namespace orv::test
