#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command/console_capture.h"
#include "command/file_lists.h"
#include "driver/banner.h"
#include "driver/link_context.h"

namespace orv {
namespace {

using test::ConsoleCapture;
using test::fatal_error_of;

class FileLists : public ::testing::Test {
protected:
    FileLists() : ctx(capture.console()) { init_linker(ctx); }

    std::vector<std::string> rel_names(const std::string& field) {
        set_rel_files(ctx, field.c_str());
        return {ctx.command.rel_file_names.begin(), ctx.command.rel_file_names.end()};
    }

    int error_of_rel(const std::string& field) {
        auto error = fatal_error_of([&] { set_rel_files(ctx, field.c_str()); });
        return error ? error->number() : -1;
    }

    ConsoleCapture capture;
    LinkContext ctx;
};

TEST_F(FileLists, RelocatableNamesAreUpperCasedAndEndInTheExtension) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(rel_names("prog"), Names{"PROG.ROV"});
    EXPECT_EQ(rel_names(" prog.rov\tSub.Rov "), (Names{"PROG.ROV", "SUB.ROV"}));
    EXPECT_EQ(rel_names("prog.obj"), Names{"PROG.OBJ.ROV"});
    EXPECT_EQ(rel_names(".rov"), Names{".ROV.ROV"}) << "the extension alone is no name";
    EXPECT_EQ(rel_names("obj\\prog d:x a/b"), (Names{"OBJ\\PROG.ROV", "D:X.ROV", "A/B.ROV"}));
    EXPECT_EQ(rel_names("a a"), (Names{"A.ROV", "A.ROV"})) << "duplicates are kept";
}

TEST_F(FileLists, EmptyRelocatableFieldIsError5) {
    EXPECT_EQ(error_of_rel(""), ERR_NON_RELOCATABLE_NAME);
    EXPECT_EQ(error_of_rel(" \t\n"), ERR_NON_RELOCATABLE_NAME);
}

TEST_F(FileLists, NamesMayHave511CharactersWithTheExtension) {
    EXPECT_EQ(rel_names(std::string(507, 'a')).at(0).size(), 511u);
    EXPECT_EQ(error_of_rel(std::string(508, 'a')), ERR_INVALID_COMMAND);
    EXPECT_EQ(rel_names(std::string(507, 'b') + ".rov").at(0).size(), 511u);
    EXPECT_EQ(error_of_rel(std::string(508, 'b') + ".ROV"), ERR_INVALID_COMMAND);
    EXPECT_EQ(error_of_rel("ok " + std::string(8000, 'c')), ERR_INVALID_COMMAND);
}

TEST_F(FileLists, LibrariesMayBeNoneAndStartUnflagged) {
    set_lib_files(ctx, "  ");
    EXPECT_TRUE(ctx.command.lib_file_names.empty());
    EXPECT_TRUE(ctx.command.lib_file_flags.empty());

    set_lib_files(ctx, "mylib MYLIB.LIB x.rov");
    std::vector<std::string> names(ctx.command.lib_file_names.begin(),
                                   ctx.command.lib_file_names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"MYLIB.LIB", "MYLIB.LIB", "X.ROV.LIB"}));
    EXPECT_EQ(ctx.command.lib_file_flags, (std::vector<int>{0, 0, 0}));

    auto error = fatal_error_of([&] { set_lib_files(ctx, std::string(508, 'l').c_str()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), ERR_INVALID_COMMAND);
}

}  // namespace
}  // namespace orv
