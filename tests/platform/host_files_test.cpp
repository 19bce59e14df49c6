#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "format/image_cursor.h"
#include "platform/clock.h"
#include "platform/host_files.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "support/host_skips.h"
#include "support/run_linker.h"
#include "support/file_cursor.h"
#include "support/host_skips.h"
#include "support/run_linker.h"

namespace orv {
namespace {

using test::TempDir;

// The whole file opened under the linker's name, or "(none)".
std::string read_as(const std::string& linker_name) {
    auto input = test::FileCursor::open(linker_name);
    if (input == nullptr) return "(none)";
    std::string bytes;
    for (int c = input->get(); c != ImageCursor::END; c = input->get()) bytes += char(c);
    return bytes;
}

TEST(HostFiles, LinkerNamesFindTheirFileWhateverItsCase) {
    SKIP_ON_WINDOWS("the POSIX side matches letter case itself; Windows file names ignore it");
    TempDir dir;
    dir.write("Obj/sub/Prog.rov", "xyz");
    dir.write("a.rov", "lower");
    dir.write("A.ROV", "upper");
    dir.write("A.rov", "mixed");
    std::filesystem::create_directory(dir / "lib");
    const std::string root = dir.path().string();
    EXPECT_EQ(read_as(root + "\\OBJ\\SUB/PROG.ROV"), "xyz") << "backslash and slash separate";
    EXPECT_EQ(read_as(root + "/OBJ/SUB/PROG.RO"), "(none)");
    EXPECT_EQ(read_as(root + "/A.ROV"), "upper") << "the exact spelling wins";
    // Without an exact match the choice does not depend on the directory order.
    EXPECT_EQ(read_as(root + "/a.ROV"), "upper");
    EXPECT_EQ(read_as(root + "/LIB"), "(none)") << "a directory is no input file";
    EXPECT_EQ(TextInput::open(root + "/LIB"), nullptr);
}

TEST(HostFiles, CreatingReplacesAFileThatDiffersOnlyInCase) {
    SKIP_ON_WINDOWS("the POSIX side matches letter case itself; Windows file names ignore it");
    TempDir dir;
    dir.write("out/prog.hex", "old contents");
    auto output = TextOutput::create(dir.path().string() + "\\OUT\\PROG.HEX");
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->print("new"));
    EXPECT_TRUE(output->close());
    EXPECT_EQ(dir.read("out/prog.hex"), "new");
    EXPECT_FALSE(dir.exists("out/PROG.HEX"));
    // A drive prefix stays part of the name.
    ASSERT_NE(TextOutput::create((dir / "D:PROG.HEX").string()), nullptr);
    EXPECT_TRUE(dir.exists("D:PROG.HEX"));
}

TEST(TextOutputFile, LinesEndInCarriageReturnAndLineFeed) {
    TempDir dir;
    auto output = TextOutput::create((dir / "A.MAP").string());
    ASSERT_NE(output, nullptr);
    std::string long_line(1000, 'l');
    EXPECT_TRUE(output->print("%s=%04X\n\n", "P", 0xC000u));
    EXPECT_TRUE(output->write("x\ny"));
    EXPECT_TRUE(output->put_char('\n'));
    EXPECT_TRUE(output->put_char('\x1A'));
    EXPECT_TRUE(output->print("%s\n", long_line.c_str()));
    EXPECT_TRUE(output->close());
    EXPECT_EQ(dir.read("A.MAP"), "P=C000\r\n\r\nx\r\ny\r\n\x1A" + long_line + "\r\n");

    if (!std::filesystem::exists("/dev/full")) return;
    auto full = TextOutput::create("/dev/full");
    ASSERT_NE(full, nullptr);
    full->print("%s\n", "text that cannot be written");
    EXPECT_FALSE(full->close()) << "a full disk is reported at the latest on close";
}

// Records handed over a piece at a time reach the file whole and in order
// across the buffer's refills, each line end as CR LF; a write that fails
// is seen by the write that fills the buffer, and by every one after it.
TEST(TextOutputFile, BufferedPiecesArriveInOrderAndAFailedWriteSticks) {
    TempDir dir;
    auto output = TextOutput::create((dir / "A.HEX").string());
    ASSERT_NE(output, nullptr);
    std::string expected;
    for (int i = 0; expected.size() < 3 * TextOutput::BUFFER_SIZE; ++i) {
        std::string piece = std::to_string(i) + (i % 3 == 0 ? "\n" : ":");
        EXPECT_TRUE(output->write(piece));
        expected += std::to_string(i) + (i % 3 == 0 ? "\r\n" : ":");
    }
    EXPECT_TRUE(output->close());
    EXPECT_EQ(dir.read("A.HEX"), expected);

    if (!std::filesystem::exists("/dev/full")) return;
    auto full = TextOutput::create("/dev/full");
    ASSERT_NE(full, nullptr);
    const std::string line(99, 'f');
    std::size_t given = 0;
    bool ok = true;
    while (ok && given < 2 * TextOutput::BUFFER_SIZE) {
        ok = full->write(line + "\n");
        given += line.size() + 2;
    }
    EXPECT_FALSE(ok);
    EXPECT_LE(given, TextOutput::BUFFER_SIZE + line.size() + 2);
    EXPECT_FALSE(full->write("x"));
    EXPECT_FALSE(full->close());
}

TEST(TextInputFile, CarriageReturnsAreSkippedAndControlZEndsTheInput) {
    TempDir dir;
    dir.write("cmd.txt", std::string("a\r\nb\r\x1A" "c"));
    auto input = TextInput::open((dir / "CMD.TXT").string());
    ASSERT_NE(input, nullptr);
    std::vector<int> got;
    for (int i = 0; i < 5; ++i) got.push_back(input->get());
    // The byte after a carriage return is taken, and nothing after 0x1A.
    EXPECT_EQ(got, (std::vector<int>{'a', '\n', 'b', TextInput::END, TextInput::END}));
}

TEST(LinkClock, SourceDateEpochFixesTheTimeInUtc) {
    const char* old = std::getenv("SOURCE_DATE_EPOCH");
    const std::string saved = old != nullptr ? old : "";
    // Malformed values and instants beyond the year 9999 give the local time.
    const std::pair<const char*, const char*> cases[] = {{"0", "Thu Jan  1 00:00:00 1970\n"},
                                                         {"1700000000", "Tue Nov 14 22:13:20 2023\n"},
                                                         {"253402300799", "Fri Dec 31 23:59:59 9999\n"},
                                                         {"12ab", nullptr},
                                                         {"253402300800", nullptr}};
    for (const auto& [epoch, text] : cases) {
        SCOPED_TRACE(epoch);
        test::set_environment("SOURCE_DATE_EPOCH", epoch);
        std::string now = link_time_text();
        bool fallback = now.size() == 25 && now.find(" 9999\n") == std::string::npos;
        EXPECT_TRUE(text != nullptr ? now == text : fallback) << now;
    }
    saved.empty() ? test::unset_environment("SOURCE_DATE_EPOCH") : test::set_environment("SOURCE_DATE_EPOCH", saved);
}

}  // namespace
}  // namespace orv
