#include <gtest/gtest.h>

#include <string>

#include "platform/console_text.h"

namespace orv::test {
namespace {

// What reaches a terminal: C0, DEL and C1 (raw, or as the UTF-8 of U+0080 to
// U+009F) escaped; other UTF-8, Latin-1 letters and printable ASCII kept; the
// width counts four columns per escape.
TEST(ConsoleText, EscapesEveryControlAndKeepsOtherText) {
    const struct {
        std::string raw;
        std::string shown;
    } cases[] = {
        {"plain name_1", "plain name_1"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x1B]0;OWNED\a", "\\x1B]0;OWNED\\x07"},
        {"del\x7F", "del\\x7F"},
        {"csi\x9B" "2J", "csi\\x9B2J"},
        {"c1\xC2\x9B" "2J", "c1\\xC2\\x9B2J"},
        {"nbsp\xC2\xA0", "nbsp\xC2\xA0"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"latin1 caf\xE9", "latin1 caf\xE9"},
        {"cut \xE2\x82", "cut \xE2\\x82"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(console_text(c.raw), c.shown);
    }
    EXPECT_EQ(console_text_width("a\x1B" "b"), 6u);
    EXPECT_EQ(console_text_width("\xC2\x85"), 8u);
}

}  // namespace
}  // namespace orv::test
