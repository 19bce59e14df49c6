#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "placement/link_bench.h"
#include "placement/output_names.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

std::string dir_prefix(const TempDir& dir) { return dir.path().string() + "/"; }

TEST(OutputFiles, HexAloneOrWithMapAndSymbolFilesInTheOutputDirectory) {
    TempDir dir;
    LinkBench bench;
    bench.ctx.options.out_dir = bench.ctx.str_save(dir_prefix(dir));
    bench.ctx.options.out_name = bench.ctx.str_save("PROG");
    ASSERT_EQ(bench.run([&] { open_output_files(bench.ctx); }), 0);
    EXPECT_TRUE(dir.exists("PROG.HEX"));
    EXPECT_FALSE(dir.exists("PROG.MAP"));
    EXPECT_FALSE(dir.exists("PROG.SYM"));
    EXPECT_NE(bench.ctx.output.hex_file, nullptr);
    EXPECT_EQ(bench.ctx.output.map_file, nullptr);

    LinkBench both;
    both.ctx.options.opt_map = 1;
    both.ctx.options.opt_sym = 1;
    both.ctx.options.out_dir = both.ctx.str_save(dir_prefix(dir));
    both.ctx.options.out_name = both.ctx.str_save("TWO");
    ASSERT_EQ(both.run([&] { open_output_files(both.ctx); }), 0);
    EXPECT_TRUE(dir.exists("TWO.HEX"));
    EXPECT_TRUE(dir.exists("TWO.MAP"));
    EXPECT_TRUE(dir.exists("TWO.SYM"));
    EXPECT_EQ(both.out(), "");
}

TEST(OutputFiles, NameTooLongIsError15WithoutCreatingAnything) {
    TempDir dir;
    std::string prefix = dir_prefix(dir);
    LinkBench bench;
    bench.ctx.options.out_dir = bench.ctx.str_save(prefix);
    // Directory, base name, extension and terminator: 513 bytes.
    bench.ctx.options.out_name = bench.ctx.str_save(std::string(513 - 5 - prefix.size(), 'N'));
    EXPECT_EQ(bench.run([&] { open_output_files(bench.ctx); }), 3);
    EXPECT_EQ(bench.out(), "ERROR NO.15: Can't create .HEX file ( file name is too long )\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    LinkBench no_dir;
    no_dir.ctx.options.out_name = no_dir.ctx.str_save(std::string(508, 'N'));
    EXPECT_EQ(no_dir.run([&] { open_output_files(no_dir.ctx); }), 3);
    EXPECT_EQ(no_dir.out(), "ERROR NO.15: Can't create .HEX file ( file name is too long )\n");
}

TEST(OutputFiles, NameThatJustFitsIsTriedAndFailsOnlyForWantOfTheDirectory) {
    TempDir dir;
    std::string prefix = dir_prefix(dir) + "MISSING/";
    LinkBench bench;
    bench.ctx.options.out_dir = bench.ctx.str_save(prefix);
    std::string base(512 - 5 - prefix.size(), 'N');
    bench.ctx.options.out_name = bench.ctx.str_save(base);
    EXPECT_EQ(bench.run([&] { open_output_files(bench.ctx); }), 3);
    EXPECT_EQ(bench.out(), "ERROR NO.15: Can't create " + prefix + base + ".HEX\n");
}

TEST(OutputFiles, MapFileThatCannotBeCreatedLeavesTheHexFileEmpty) {
    TempDir dir;
    std::filesystem::create_directory(dir / "PROG.MAP");
    LinkBench bench;
    bench.ctx.options.opt_map = 1;
    bench.ctx.options.opt_sym = 1;
    bench.ctx.options.out_dir = bench.ctx.str_save(dir_prefix(dir));
    bench.ctx.options.out_name = bench.ctx.str_save("PROG");
    EXPECT_EQ(bench.run([&] { open_output_files(bench.ctx); }), 3);
    EXPECT_EQ(bench.out(), "ERROR NO.15: Can't create " + dir_prefix(dir) + "PROG.MAP\n");
    EXPECT_EQ(bench.err(), "\a");
    EXPECT_TRUE(dir.exists("PROG.HEX"));
    EXPECT_EQ(dir.read("PROG.HEX"), "");
    EXPECT_FALSE(dir.exists("PROG.SYM"));
}

}  // namespace
}  // namespace orv::test
