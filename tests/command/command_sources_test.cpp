#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command/command_harness.h"
#include "command/command_sources.h"

namespace orv::test {
namespace {

using Fields = std::vector<std::string>;

struct SourceCase {
    std::vector<std::string> args;  // arguments, or the command file's text
    int last;                        // index of the last field supplied
    Fields fields;
};

Fields fields_of(const std::string (&fields)[FIELD_COUNT]) { return Fields(fields, fields + FIELD_COUNT); }

TEST(SplitArguments, CommasEndFieldsAndArgumentsJoinWithOneBlank) {
    const std::string a8192(8192, 'a');
    const SourceCase cases[] = {
        {{"A", "B,D"}, 1, {"A B", "D", "", ""}},
        {{"a.rov,lib,P=C000 R,-M", "-S"}, 3, {"a.rov", "lib", "P=C000 R", "-M -S"}},
        {{"A, \tB"}, 1, {"A", "B", "", ""}},
        {{"A,"}, 0, {"A", "", "", ""}},
        {{"A,", ",B"}, 2, {"A", "", "B", ""}},
        {{"A,,", "x"}, 2, {"A", "", "x", ""}},
        {{"A,B,C,D,  "}, 3, {"A", "B", "C", "D"}},
        {{a8192}, 0, {a8192, "", "", ""}},
        {{std::string(8191, 'a'), ""}, 0, {std::string(8191, 'a') + " ", "", "", ""}},
        {{"x," + a8192}, 1, {"x", a8192, "", ""}},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.args[0].substr(0, 30));
        std::string fields[FIELD_COUNT];
        EXPECT_EQ(split_arguments(fields, c.args), c.last);
        EXPECT_EQ(fields_of(fields), c.fields);
    }
}

TEST(CommandFile, LineEndsAreBlanksAndCommasSeparateTheFields) {
    TempDir dir;
    const SourceCase cases[] = {
        {{"main sub,\r\nlib1,\r\nP=C000 R,\r\n-M -S,\r\n\r\n"}, 3, {"main sub", "lib1", "P=C000 R", "-M -S"}},
        {{"a\nb,,\n\tP\n"}, 2, {"a b", "", "P ", ""}},
        {{"a,b\x1A,c,d"}, 1, {"a", "b", "", ""}},
        {{""}, 0, {"", "", "", ""}},
        {{std::string(8191, 'x') + "\n"}, 0, {std::string(8191, 'x') + " ", "", "", ""}},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.args[0].substr(0, 30));
        dir.write("cmd.txt", c.args[0]);
        std::string fields[FIELD_COUNT];
        // The name the linker was given is matched to the file whatever its case.
        EXPECT_EQ(read_command_file(fields, (dir / "CMD.TXT").string()), c.last);
        EXPECT_EQ(fields_of(fields), c.fields);
    }
}

TEST(Prompts, EachMissingFieldIsAnsweredByOneLine) {
    CommandHarness all("main sub\r\n\nP=C000\n-M\nrest\n");
    EXPECT_FALSE(all.get_command({}));
    EXPECT_EQ(all.err(), BANNER + PROMPT[0] + PROMPT[1] + PROMPT[2] + PROMPT[3]);
    EXPECT_EQ(fields_of(all.ctx.command.command_field), (Fields{"main sub", "", "P=C000", "-M"}));

    // The longest answer: 8190 characters and the line end.
    const std::string longest = "-F" + std::string(8188, 'p');
    CommandHarness last(longest + "\n");
    EXPECT_FALSE(last.get_command({"a,b,c"}));
    EXPECT_EQ(last.err(), BANNER + PROMPT[3]);
    EXPECT_EQ(last.ctx.command.command_field[FIELD_PARAMETERS], longest);
}

}  // namespace
}  // namespace orv::test
