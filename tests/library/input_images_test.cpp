#include <gtest/gtest.h>

#include <map>
#include <string>

#include "library_support.h"
#include "platform/host_files.h"

namespace orv::test {
namespace {

// Several search cycles and pass 1 of a second file read every input once,
// and the files may come from memory with no file on disk at all.
TEST(InputImages, EveryInputIsReadOnceWhateverTheCyclesAndItsSource) {
    LibraryHarness h;
    h.main_module({.externals = {"b"}}, {"ONE.LIB", "TWO.LIB"});
    h.write("ONE.LIB", LibraryWriter().add(library_module("A", {.labels = {"a"}})));
    LibraryWriter two;
    two.add(library_module("D", {.labels = {"d"}}));
    two.add(library_module("B", {.labels = {"b"}, .externals = {"a", "d"}}));
    h.write("TWO.LIB", two);

    // The bytes move to memory and the files go: the link sees only the loader.
    std::map<std::string, std::string> files;
    for (const char* name : {"MAIN.ROV", "ONE.LIB", "TWO.LIB"}) {
        files[name] = h.dir.read(name);
        std::filesystem::remove(h.dir / name);
    }
    std::map<std::string, int> loads;
    h.ctx.inputs.set_loader([&](std::string_view name, std::string& bytes) {
        ++loads[std::string(name)];
        auto found = files.find(std::string(name));
        if (found == files.end()) return false;
        bytes = found->second;
        return true;
    });

    ASSERT_EQ(h.run_pass1(), 0) << h.out.text();
    EXPECT_EQ(h.taken(), (Names{"B:1:1", "A:0:0", "D:0:1"}));
    EXPECT_EQ(loads, (std::map<std::string, int>{{"MAIN.ROV", 1}, {"ONE.LIB", 1}, {"TWO.LIB", 1}}));
    EXPECT_EQ(h.ctx.inputs.files_read(), 3u);
    EXPECT_EQ(h.ctx.inputs.bytes_read(), files["MAIN.ROV"].size() + files["ONE.LIB"].size() +
                                             files["TWO.LIB"].size());
}

TEST(InputImages, AFileTheLoaderCannotSupplyIsNotFoundEachTimeItIsAsked) {
    LibraryHarness h;
    h.list({"GONE.ROV"});
    int loads = 0;
    h.ctx.inputs.set_loader([&](std::string_view, std::string&) { return ++loads, false; });
    EXPECT_EQ(h.run_pass1(), 2);
    EXPECT_EQ(h.out.text(), "ERROR NO.0: GONE.ROV File not found\n");
    EXPECT_EQ(h.ctx.inputs.open("GONE.ROV"), nullptr);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(h.ctx.inputs.files_read(), 0u);
}

TEST(InputImages, TheHostLoaderReadsWholeFilesAndRefusesDirectories) {
    TempDir dir;
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7);
    dir.write("Big.lib", big);
    dir.write("EMPTY.ROV", "");
    std::filesystem::create_directory(dir / "SUB.ROV");
    std::string bytes = "stale";
    EXPECT_TRUE(read_host_file((dir / "BIG.LIB").string(), bytes));
    EXPECT_EQ(bytes, big);
    EXPECT_TRUE(read_host_file((dir / "EMPTY.ROV").string(), bytes));
    EXPECT_EQ(bytes, "");
    EXPECT_FALSE(read_host_file((dir / "SUB.ROV").string(), bytes));
    EXPECT_FALSE(read_host_file((dir / "NONE.ROV").string(), bytes));
}

}  // namespace
}  // namespace orv::test
