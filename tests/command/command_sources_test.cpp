#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command/command_sources.h"
#include "command/console_capture.h"
#include "driver/banner.h"
#include "driver/link_context.h"
#include "support/run_linker.h"

namespace orv {
namespace {

using test::ConsoleCapture;
using test::fatal_error_of;
using test::TempDir;
using Fields = std::vector<std::string>;

Fields fields_of(const std::string (&fields)[FIELD_COUNT]) { return Fields(fields, fields + FIELD_COUNT); }

struct Split {
    int last = NO_FIELD;
    Fields fields;
};

Split split(const std::vector<std::string>& args) {
    std::string fields[FIELD_COUNT];
    int last = split_arguments(fields, args);
    return {last, fields_of(fields)};
}

int split_error(const std::vector<std::string>& args) {
    std::string fields[FIELD_COUNT];
    auto error = fatal_error_of([&] { split_arguments(fields, args); });
    return error ? error->number() : -1;
}

TEST(SplitArguments, ArgumentsJoinWithBlanksAndCommasEndFields) {
    Split s = split({"A", "B,D"});
    EXPECT_EQ(s.last, 1);
    EXPECT_EQ(s.fields, (Fields{"A B", "D", "", ""}));

    s = split({"a.rov,lib,P=C000 R,-M", "-S"});
    EXPECT_EQ(s.last, 3);
    EXPECT_EQ(s.fields, (Fields{"a.rov", "lib", "P=C000 R", "-M -S"}));

    s = split({"A, \tB"});
    EXPECT_EQ(s.fields, (Fields{"A", "B", "", ""})) << "blanks after a comma are skipped";
}

TEST(SplitArguments, CommaAtTheEndSuppliesNoFurtherField) {
    Split s = split({"A,"});
    EXPECT_EQ(s.last, 0);
    EXPECT_EQ(s.fields[0], "A");

    s = split({"A,", ",B"});
    EXPECT_EQ(s.last, 2);
    EXPECT_EQ(s.fields, (Fields{"A", "", "B", ""}));

    s = split({"A,B,C,D,  "});
    EXPECT_EQ(s.last, 3);
    EXPECT_EQ(s.fields, (Fields{"A", "B", "C", "D"}));

    s = split({"A,,", "x"});
    EXPECT_EQ(s.last, 2);
    EXPECT_EQ(s.fields, (Fields{"A", "", "x", ""}));
}

TEST(SplitArguments, AFifthFieldIsError1) {
    EXPECT_EQ(split_error({"A,B,C,D,E"}), ERR_INVALID_COMMAND);
    EXPECT_EQ(split_error({"A,B,C,D,", "E"}), ERR_INVALID_COMMAND);
    EXPECT_EQ(split_error({"A,B,C,D", ",E"}), ERR_INVALID_COMMAND);
}

TEST(SplitArguments, AFieldHoldsAtMost8192Characters) {
    EXPECT_EQ(split({std::string(8192, 'a')}).fields[0].size(), 8192u);
    EXPECT_EQ(split({std::string(8191, 'a'), ""}).fields[0].size(), 8192u)
        << "the joining blank counts";
    EXPECT_EQ(split_error({std::string(8193, 'a')}), ERR_INVALID_COMMAND);
    EXPECT_EQ(split_error({std::string(8192, 'a'), "b"}), ERR_INVALID_COMMAND);
    EXPECT_EQ(split({"x," + std::string(8192, 'b')}).fields[1].size(), 8192u);
}

class CommandFile : public ::testing::Test {
protected:
    Split read(const std::string& text) {
        dir.write("cmd.txt", text);
        std::string fields[FIELD_COUNT];
        int last = read_command_file(fields, (dir / "cmd.txt").string());
        return {last, fields_of(fields)};
    }

    std::optional<LinkError> error_of(const std::string& text) {
        dir.write("cmd.txt", text);
        std::string fields[FIELD_COUNT];
        return fatal_error_of([&] { read_command_file(fields, (dir / "cmd.txt").string()); });
    }

    TempDir dir;
};

TEST_F(CommandFile, FourLinesSupplyFourFields) {
    Split s = read("main sub,\r\nlib1,\r\nP=C000 R,\r\n-M -S,\r\n\r\n");
    EXPECT_EQ(s.last, 3);
    EXPECT_EQ(s.fields, (Fields{"main sub", "lib1", "P=C000 R", "-M -S"}));
}

TEST_F(CommandFile, LineEndsAreBlanksAndTwoCommasGiveAnEmptyField) {
    Split s = read("a\nb,,\n\tP\n");
    EXPECT_EQ(s.last, 2);
    EXPECT_EQ(s.fields, (Fields{"a b", "", "P ", ""}));
}

TEST_F(CommandFile, EndOfFileByte) {
    Split s = read("a,b\x1A,c,d");
    EXPECT_EQ(s.last, 1);
    EXPECT_EQ(s.fields, (Fields{"a", "b", "", ""}));
    EXPECT_EQ(read("").last, 0);
}

TEST_F(CommandFile, TooManyFieldsOrCharactersAreError1) {
    EXPECT_EQ(error_of("a,b,c,d,e")->number(), ERR_INVALID_COMMAND);
    EXPECT_EQ(error_of("a,b,c,d,\n,")->number(), ERR_INVALID_COMMAND);
    EXPECT_EQ(read(std::string(8191, 'x') + "\n").fields[0].size(), 8192u);
    EXPECT_EQ(error_of(std::string(8192, 'x') + "\n")->number(), ERR_INVALID_COMMAND);
}

TEST_F(CommandFile, NameIsMatchedWithoutRegardToCase) {
    dir.write("cmd.txt", "x,y");
    std::string fields[FIELD_COUNT];
    EXPECT_EQ(read_command_file(fields, (dir / "CMD.TXT").string()), 1);
    EXPECT_EQ(fields[1], "y");
}

TEST_F(CommandFile, MissingFileOrDirectoryIsError0WithTheName) {
    std::string fields[FIELD_COUNT];
    std::string missing = (dir / "none.txt").string();
    auto error = fatal_error_of([&] { read_command_file(fields, missing); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), ERR_FILE_NOT_FOUND);
    EXPECT_EQ(error->argument(), missing);

    error = fatal_error_of([&] { read_command_file(fields, dir.path().string()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), ERR_FILE_NOT_FOUND);
}

class Prompts : public ::testing::Test {
protected:
    void answer(const std::string& input, int last_supplied) {
        capture = std::make_unique<ConsoleCapture>(input);
        ctx = std::make_unique<LinkContext>(capture->console());
        init_linker(*ctx);
        error = fatal_error_of([&] { prompt_missing_fields(*ctx, last_supplied); });
    }

    std::unique_ptr<ConsoleCapture> capture;
    std::unique_ptr<LinkContext> ctx;
    std::optional<LinkError> error;
};

const std::string ALL_PROMPTS =
    "Relocatable files (.ROV) >> Libraries         (.LIB) >> "
    "Section information      >> Command parameter        >> ";

TEST_F(Prompts, EachMissingFieldIsAskedForAndAnsweredByOneLine) {
    answer("main sub\r\n\nP=C000\n-M\nrest\n", NO_FIELD);
    EXPECT_FALSE(error);
    EXPECT_EQ(capture->err(), ALL_PROMPTS);
    EXPECT_EQ(fields_of(ctx->command.command_field), (Fields{"main sub", "", "P=C000", "-M"}));
}

TEST_F(Prompts, OnlyTheFieldsAfterTheSuppliedOnes) {
    answer("-S\n", 2);
    EXPECT_FALSE(error);
    EXPECT_EQ(capture->err(), "Command parameter        >> ");
    EXPECT_EQ(ctx->command.command_field[3], "-S");
}

TEST_F(Prompts, EndOfInputIsError1AfterEveryPrompt) {
    answer("a\nb\n", NO_FIELD);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), ERR_INVALID_COMMAND);
    EXPECT_EQ(capture->err(), ALL_PROMPTS);

    answer("a\nb\nc\nd\x1A" "e\n", NO_FIELD);
    ASSERT_TRUE(error) << "0x1A ends the input";
    EXPECT_EQ(error->number(), ERR_INVALID_COMMAND);
}

TEST_F(Prompts, AnAnswerHoldsAtMost8190Characters) {
    answer(std::string(8190, 'p') + "\n", 2);
    EXPECT_FALSE(error);
    EXPECT_EQ(ctx->command.command_field[3].size(), 8190u);

    answer(std::string(8191, 'p') + "\n", 2);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), ERR_INVALID_COMMAND);
}

}  // namespace
}  // namespace orv
