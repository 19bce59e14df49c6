#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "library_support.h"

namespace orv::test {
namespace {

LibraryWriter defining(const std::string& module, const std::string& label) {
    return LibraryWriter().add(library_module(module, {.labels = {label}}));
}

// A directory below `base` whose path, with a trailing slash, is exactly
// `length` characters long.
std::string directory_of_length(const std::filesystem::path& base, std::size_t length) {
    std::string path = base.string();
    while (path.size() + 1 < length) {
        std::size_t room = length - path.size() - 1;  // characters left before the final slash
        // Components short enough for the host, the last one at least two long.
        std::size_t component = std::min<std::size_t>(room - 1, 200);
        if (room - 1 - component == 1) --component;
        path += "/" + std::string(component, 'd');
    }
    std::filesystem::create_directories(path);
    return path + "/";
}

// The joined path replaces the library's name: later cycles reopen it by
// that path, and names and messages carry it. A library of the same name in
// the current directory is not used.
TEST(LibraryDirectory, LibraryFoundThereKeepsTheJoinedPath) {
    LibraryHarness h;
    std::string dir = (h.dir / "libs").string();
    LibraryDirVariable libov(dir);
    h.main_module({.externals = {"a"}}, {"L.LIB"});
    LibraryWriter lib;
    lib.add(library_module("C", {.labels = {"c"}}));
    lib.add(library_module("A", {.labels = {"a"}, .externals = {"c", "nowhere"}}));
    h.dir.write("libs/L.LIB", lib.bytes());
    h.write("L.LIB", defining("WRONG", "a"));

    EXPECT_EQ(h.run_pass1(), 1);
    std::string joined = dir + "\\L.LIB";
    EXPECT_STREQ(h.ctx.command.lib_file_names[0], joined.c_str());
    EXPECT_EQ(h.taken(), (Names{"A:1:0", "C:0:0"}));
    EXPECT_STREQ(h.ctx.symbols.find_symbol("c")->file_name, joined.c_str());
    EXPECT_EQ(h.out.text(), PASS1_START + "ERROR NO.9: Unresolved label \"nowhere\" in " + joined + "\n");
}

// A directory ending in a separator gets no second one; a library not in
// the directory is opened as named, and one missing everywhere is reported
// by that name.
TEST(LibraryDirectory, SeparatorsAndLibrariesOutsideTheDirectory) {
    for (std::string ending : {"/", "\\"}) {
        LibraryHarness h;
        std::string dir = (h.dir / "libs").string() + ending;
        LibraryDirVariable libov(dir);
        h.main_module({.externals = {"a"}}, {"L.LIB"});
        h.dir.write("libs/L.LIB", defining("A", "a").bytes());
        ASSERT_EQ(h.run_pass1(), 0) << h.out.text();
        EXPECT_EQ(std::string(h.ctx.command.lib_file_names[0]), dir + "L.LIB");
    }
    LibraryHarness h;
    std::filesystem::create_directories(h.dir / "libs");
    LibraryDirVariable libov((h.dir / "libs").string());
    h.main_module({.externals = {"a", "b"}}, {"L.LIB", "M.LIB"});
    h.write("L.LIB", defining("A", "a"));
    EXPECT_EQ(h.run_pass1(), 2);
    EXPECT_STREQ(h.ctx.command.lib_file_names[0], "L.LIB");
    EXPECT_EQ(h.ctx.command.lib_file_flags[0], 1);
    EXPECT_EQ(h.out.text(), PASS1_START + "ERROR NO.0: M.LIB File not found\n");
}

// The directory is tried while the directory and the name are shorter than
// 512 characters together (255 or fewer for a requested library) and the
// joined path fits 511 characters; otherwise the name is opened as given.
TEST(LibraryDirectory, LengthLimitsDecideWhetherTheDirectoryIsTried) {
    const struct {
        std::size_t dir_length;  // with its trailing slash
        bool keep_slash;
        bool requested;
        bool tried;
    } cases[] = {
        {506, true, false, true},    // 511 together, joined 511
        {507, true, false, false},   // 512 together
        {506, false, false, true},   // 510 together, joined with a separator 511
        {507, false, false, false},  // 511 together, but the separator makes 512
        {250, true, true, true},     // 255 together
        {251, true, true, false},    // 256 together
    };
    const std::string name = "L.LIB";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dir_length);
        LibraryHarness h;
        std::string dir = directory_of_length(h.dir.path(), c.dir_length);
        ASSERT_EQ(dir.size(), c.dir_length);
        h.dir.write(dir.substr(h.dir.path().string().size() + 1) + name, defining("IN_DIR", "a").bytes());
        h.write(name, defining("AS_NAMED", "a"));
        if (!c.keep_slash) dir.pop_back();
        LibraryDirVariable libov(dir);
        if (c.requested) {
            h.main_module({.externals = {"a"}}, {}, {"L"});
        } else {
            h.main_module({.externals = {"a"}}, {name});
        }
        ASSERT_EQ(h.run_pass1(), 0) << h.out.text();
        std::string used = c.requested ? h.ctx.reader.requested_libs->name : h.ctx.command.lib_file_names[0];
        EXPECT_EQ(used, c.tried ? dir + (c.keep_slash ? "" : "\\") + name : name);
        EXPECT_EQ(h.taken(), (Names{c.tried ? "IN_DIR:0:0" : "AS_NAMED:0:0"}));
    }
}

}  // namespace
}  // namespace orv::test
