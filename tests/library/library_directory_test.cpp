#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "library_support.h"

namespace orv::test {
namespace {

using orvfixture::LibraryWriter;
using Names = std::vector<std::string>;

LibraryWriter defining(const std::string& module, const ModuleNames& names) {
    LibraryWriter lib;
    lib.add(module, module_image(names).bytes());
    return lib;
}

// A directory below `base` whose path, with a trailing slash, is exactly
// `length` characters long.
std::string directory_of_length(const std::filesystem::path& base, std::size_t length) {
    std::string path = base.string();
    while (path.size() + 1 < length) {
        std::size_t room = length - path.size() - 1;  // characters left before the final slash
        // A component and its slash; keep components short enough for the
        // host and leave at least two characters for the last one.
        std::size_t component = std::min<std::size_t>(room - 1, 200);
        if (room - 1 - component == 1) --component;
        path += "/" + std::string(component, 'd');
    }
    std::filesystem::create_directories(path);
    path += "/";
    EXPECT_EQ(path.size(), length);
    return path;
}

TEST(LibraryDirectory, LibraryFoundThereKeepsTheJoinedPathForLaterCyclesAndMessages) {
    LibraryHarness h;
    std::filesystem::create_directories(h.dir / "libs");
    std::string dir = (h.dir / "libs").string();
    LibraryDirVariable libov(dir);
    h.main_module({.externals = {"a"}}, {"L.LIB"});

    LibraryWriter lib;
    lib.add("C", module_image({.labels = {"c"}}).bytes());
    lib.add("A", module_image({.labels = {"a"}, .externals = {"c", "nowhere"}}).bytes());
    h.dir.write("libs/L.LIB", lib.bytes());
    // A library of the same name as given is not used while the directory has one.
    h.write("L.LIB", defining("WRONG", {.labels = {"a"}}));

    EXPECT_EQ(h.run_pass1(), 1);
    std::string joined = dir + "\\L.LIB";
    EXPECT_STREQ(h.ctx.command.lib_file_names[0], joined.c_str());
    EXPECT_EQ(h.ctx.command.lib_file_flags[0], 1);
    // C was taken in the second cycle, through the joined path.
    EXPECT_EQ(h.taken(), (Names{"A:1:0", "C:0:0"}));
    EXPECT_STREQ(h.ctx.symbols.find_symbol("c")->file_name, joined.c_str());
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.9: Unresolved label \"nowhere\" in " + joined + "\n");
}

TEST(LibraryDirectory, DirectoryEndingInASeparatorGetsNoSecondOne) {
    for (std::string ending : {"/", "\\"}) {
        LibraryHarness h;
        std::filesystem::create_directories(h.dir / "libs");
        std::string dir = (h.dir / "libs").string() + ending;
        LibraryDirVariable libov(dir);
        h.main_module({.externals = {"a"}}, {"L.LIB"});
        h.dir.write("libs/L.LIB", defining("A", {.labels = {"a"}}).bytes());
        ASSERT_EQ(h.run_pass1(), 0) << h.out_text();
        EXPECT_EQ(std::string(h.ctx.command.lib_file_names[0]), dir + "L.LIB");
    }
}

TEST(LibraryDirectory, LibraryNotThereIsOpenedAsNamed) {
    LibraryHarness h;
    std::filesystem::create_directories(h.dir / "libs");
    LibraryDirVariable libov((h.dir / "libs").string());
    h.main_module({.externals = {"a"}}, {"L.LIB"});
    h.write("L.LIB", defining("A", {.labels = {"a"}}));
    ASSERT_EQ(h.run_pass1(), 0);
    EXPECT_STREQ(h.ctx.command.lib_file_names[0], "L.LIB");
    EXPECT_EQ(h.ctx.command.lib_file_flags[0], 1);
}

TEST(LibraryDirectory, MissingEverywhereNamesTheLibraryAsGiven) {
    LibraryHarness h;
    std::filesystem::create_directories(h.dir / "libs");
    LibraryDirVariable libov((h.dir / "libs").string());
    h.main_module({.externals = {"a"}}, {"L.LIB"});
    EXPECT_EQ(h.run_pass1(), 2);
    EXPECT_EQ(h.out_text(), PASS1_START + "ERROR NO.0: L.LIB File not found\n");
}

// The directory is tried while the directory and the name are shorter than
// 512 characters together (255 or fewer for a requested library) and the
// joined path fits 511 characters; otherwise the name is opened as given.
TEST(LibraryDirectory, LengthLimitsDecideWhetherTheDirectoryIsTried) {
    struct Case {
        std::size_t dir_length;  // with its trailing slash
        bool keep_slash;
        bool requested;
        bool tried;
    };
    const std::string name = "L.LIB";
    const Case cases[] = {
        {506, true, false, true},    // 511 together, joined 511
        {507, true, false, false},   // 512 together
        {506, false, false, true},   // 510 together, joined with a separator 511
        {507, false, false, false},  // 511 together, but the separator makes 512
        {250, true, true, true},     // 255 together
        {251, true, true, false},    // 256 together
    };
    for (const Case& c : cases) {
        LibraryHarness h;
        std::string dir = directory_of_length(h.dir.path(), c.dir_length);
        h.dir.write(dir.substr(h.dir.path().string().size() + 1) + name,
                    defining("IN_DIR", {.labels = {"a"}}).bytes());
        h.write(name, defining("AS_NAMED", {.labels = {"a"}}));
        if (!c.keep_slash) dir.pop_back();
        LibraryDirVariable libov(dir);
        if (c.requested) {
            h.main_module({.externals = {"a"}}, {}, {"L"});
        } else {
            h.main_module({.externals = {"a"}}, {name});
        }
        ASSERT_EQ(h.run_pass1(), 0) << h.out_text();
        std::string used = c.requested ? h.ctx.reader.requested_libs->name : h.ctx.command.lib_file_names[0];
        std::string expected = c.tried ? dir + (c.keep_slash ? "" : "\\") + name : name;
        EXPECT_EQ(used, expected) << "directory of " << c.dir_length;
        EXPECT_EQ(h.taken(), (Names{c.tried ? "IN_DIR:0:0" : "AS_NAMED:0:0"})) << "directory of " << c.dir_length;
    }
}

}  // namespace
}  // namespace orv::test
