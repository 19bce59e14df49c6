#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/binary_input.h"
#include "platform/clock.h"
#include "platform/host_files.h"
#include "platform/text_input.h"
#include "platform/text_output.h"
#include "support/run_linker.h"

namespace orv {
namespace {

using test::TempDir;

// The entries of a directory, sorted.
std::vector<std::string> entries(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string read_all(BinaryInput& input) {
    std::string bytes;
    for (int c = input.get(); c != BinaryInput::END; c = input.get()) bytes += char(c);
    return bytes;
}

TEST(HostFiles, NamesAreMatchedWithoutRegardToCase) {
    TempDir dir;
    dir.write("main.rov", "abc");
    auto input = BinaryInput::open((dir / "MAIN.ROV").string());
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(read_all(*input), "abc");
    EXPECT_EQ(BinaryInput::open((dir / "MAIN.RO").string()), nullptr);
}

TEST(HostFiles, BackslashesAndSlashesSeparateDirectories) {
    TempDir dir;
    dir.write("Obj/sub/Prog.rov", "xyz");
    std::string name = dir.path().string() + "\\OBJ\\SUB/PROG.ROV";
    EXPECT_EQ(host_path(name), (dir / "Obj/sub/Prog.rov").string());
    auto input = BinaryInput::open(name);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(read_all(*input), "xyz");
}

TEST(HostFiles, TheExactSpellingWinsOverOtherCases) {
    TempDir dir;
    dir.write("a.rov", "lower");
    dir.write("A.ROV", "upper");
    dir.write("A.rov", "mixed");
    EXPECT_EQ(host_path((dir / "A.ROV").string()), (dir / "A.ROV").string());
    // Without an exact match the choice does not depend on the directory order.
    EXPECT_EQ(host_path((dir / "a.ROV").string()), (dir / "A.ROV").string());
}

TEST(HostFiles, DirectoriesAreNotInputFiles) {
    TempDir dir;
    std::filesystem::create_directory(dir / "lib");
    EXPECT_EQ(BinaryInput::open((dir / "LIB").string()), nullptr);
    EXPECT_EQ(TextInput::open((dir / "LIB").string()), nullptr);
}

TEST(HostFiles, CreatingReplacesAFileThatDiffersOnlyInCase) {
    TempDir dir;
    dir.write("out/prog.hex", "old contents");
    auto output = TextOutput::create(dir.path().string() + "\\OUT\\PROG.HEX");
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->print("new"));
    EXPECT_TRUE(output->close());
    EXPECT_EQ(entries(dir / "out"), std::vector<std::string>{"prog.hex"});
    EXPECT_EQ(dir.read("out/prog.hex"), "new");
}

TEST(HostFiles, ADrivePrefixStaysPartOfTheName) {
    TempDir dir;
    auto output = TextOutput::create((dir / "D:PROG.HEX").string());
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->close());
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"D:PROG.HEX"});
}

TEST(TextOutputFile, LinesEndInCarriageReturnAndLineFeed) {
    TempDir dir;
    auto output = TextOutput::create((dir / "A.MAP").string());
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->print("%s=%04X\n\n", "P", 0xC000u));
    EXPECT_TRUE(output->write("x\ny"));
    EXPECT_TRUE(output->put_char('\n'));
    EXPECT_TRUE(output->put_char('\x1A'));
    std::string long_line(1000, 'l');
    EXPECT_TRUE(output->print("%s\n", long_line.c_str()));
    EXPECT_TRUE(output->close());
    EXPECT_EQ(dir.read("A.MAP"), "P=C000\r\n\r\nx\r\ny\r\n\x1A" + long_line + "\r\n");
}

TEST(TextOutputFile, AFullDiskIsReportedAtTheLatestOnClose) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    auto output = TextOutput::create("/dev/full");
    ASSERT_NE(output, nullptr);
    output->print("%s\n", "text that cannot be written");
    EXPECT_FALSE(output->close());
}

TEST(TextInputFile, CarriageReturnsAreSkippedAndControlZEndsTheInput) {
    TempDir dir;
    dir.write("cmd.txt", std::string("a\r\nb\r\x1A" "c"));
    auto input = TextInput::open((dir / "CMD.TXT").string());
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->get(), 'a');
    EXPECT_EQ(input->get(), '\n');
    EXPECT_EQ(input->get(), 'b');
    EXPECT_EQ(input->get(), TextInput::END) << "the byte after a carriage return is taken";
    EXPECT_EQ(input->get(), TextInput::END) << "nothing is read after 0x1A";
}

class LinkClock : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("SOURCE_DATE_EPOCH");
        if (old != nullptr) saved_ = old;
    }
    void TearDown() override {
        if (saved_) {
            setenv("SOURCE_DATE_EPOCH", saved_->c_str(), 1);
        } else {
            unsetenv("SOURCE_DATE_EPOCH");
        }
    }
    std::optional<std::string> saved_;
};

TEST_F(LinkClock, SourceDateEpochFixesTheTimeInUtc) {
    setenv("SOURCE_DATE_EPOCH", "0", 1);
    EXPECT_EQ(link_time_text(), "Thu Jan  1 00:00:00 1970\n");
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    EXPECT_EQ(link_time_text(), "Tue Nov 14 22:13:20 2023\n");
    setenv("SOURCE_DATE_EPOCH", "12ab", 1);
    EXPECT_EQ(link_time_text().size(), 25u) << "a malformed value falls back to the local time";
}

}  // namespace
}  // namespace orv
