#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "format/image_cursor.h"

namespace orv {
namespace {

using namespace std::string_literals;

TEST(ImageCursor, NumbersAreBigEndianAndNeverReadPastTheImage) {
    const std::string image = "\x12\x34\x56\x78\x9A"s;
    struct Case {
        long start;
        int width;
        bool ok;
        uint32_t value;
    } cases[] = {
        {0, 1, true, 0x12},       {0, 2, true, 0x1234}, {0, 4, true, 0x12345678},
        {1, 4, true, 0x3456789A}, {2, 4, false, 0},     {5, 1, false, 0},
        {9, 2, false, 0},
    };
    for (const Case& c : cases) {
        ImageCursor cursor(image);
        ASSERT_TRUE(cursor.seek(c.start));
        uint32_t value = 0;
        EXPECT_EQ(cursor.number(c.width, value), c.ok) << c.start << " " << c.width;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.start << " " << c.width;
            EXPECT_EQ(cursor.tell(), c.start + c.width);
        } else {
            EXPECT_EQ(cursor.get(), ImageCursor::END);
        }
    }
}

TEST(ImageCursor, NamesKeepTheirHeadAndPassOverTheirTail) {
    const std::string image = "ab\0longer\0open"s;
    char buffer[8];
    std::size_t kept = 0;
    ImageCursor cursor(image);
    EXPECT_TRUE(cursor.name(buffer, 4, kept));
    EXPECT_EQ(std::string(buffer), "ab");
    EXPECT_TRUE(cursor.name(buffer, 4, kept));
    EXPECT_EQ(std::string(buffer), "long") << "the tail of a long name is dropped";
    EXPECT_EQ(kept, 4u);
    EXPECT_EQ(cursor.tell(), 10);
    EXPECT_FALSE(cursor.name(buffer, 4, kept)) << "the image ends before the zero byte";
    EXPECT_EQ(std::string(buffer), "open");
    EXPECT_EQ(cursor.get(), ImageCursor::END);
    ASSERT_TRUE(cursor.seek(40));
    EXPECT_FALSE(cursor.name(buffer, 4, kept));
    EXPECT_EQ(kept, 0u);
}

TEST(ImageCursor, NamesSeenInPlaceStopAtTheirZeroByteOrTheEnd) {
    const std::string image = "ab\0\0open"s;
    std::string_view text;
    ImageCursor cursor(image);
    EXPECT_TRUE(cursor.name(text));
    EXPECT_EQ(text, "ab");
    EXPECT_EQ(text.data(), image.data()) << "the name is not copied";
    EXPECT_TRUE(cursor.name(text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(cursor.tell(), 4);
    EXPECT_FALSE(cursor.name(text)) << "the image ends before the zero byte";
    EXPECT_EQ(text, "open");
    EXPECT_TRUE(cursor.ended());
    ASSERT_TRUE(cursor.seek(40));
    EXPECT_FALSE(cursor.name(text));
    EXPECT_EQ(text, "");
}

// A name is handed out in place when it is whole and short enough; else
// nothing moves and the copying read takes over.
TEST(ImageCursor, NameViewsPointIntoTheImageOrLeaveThePositionAlone) {
    const std::string image = "ab\0\0longer\0open"s;
    ImageCursor cursor(image);
    std::string_view text;
    ASSERT_TRUE(cursor.name_view(4, text));
    EXPECT_EQ(text, "ab");
    EXPECT_EQ(text.data(), image.data()) << "no copy";
    EXPECT_EQ(text.data()[text.size()], '\0');
    ASSERT_TRUE(cursor.name_view(4, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(cursor.tell(), 4);
    EXPECT_FALSE(cursor.name_view(5, text)) << "6 characters are over the limit of 5";
    EXPECT_EQ(cursor.tell(), 4);
    ASSERT_TRUE(cursor.name_view(6, text));
    EXPECT_EQ(text, "longer");
    EXPECT_FALSE(cursor.name_view(100, text)) << "the image ends before the zero byte";
    EXPECT_EQ(cursor.tell(), 11);
    ASSERT_TRUE(cursor.seek(40));
    EXPECT_FALSE(cursor.name_view(4, text));
    EXPECT_EQ(cursor.tell(), 40);
}

// Positioning behaves as on a host file: beyond the end is allowed and
// reads END there; before the start is refused.
TEST(ImageCursor, SeeksAndSkipsAreRefusedOnlyBeforeTheStart) {
    const std::string image = "\x01\x02\x03"s;
    ImageCursor cursor(image);
    EXPECT_TRUE(cursor.skip(2));
    EXPECT_EQ(cursor.get(), 3);
    EXPECT_FALSE(cursor.skip(-4));
    EXPECT_EQ(cursor.tell(), 3);
    EXPECT_TRUE(cursor.skip(-3));
    EXPECT_EQ(cursor.get(), 1);
    EXPECT_TRUE(cursor.skip(100));
    EXPECT_EQ(cursor.tell(), 101);
    EXPECT_EQ(cursor.get(), ImageCursor::END);
    EXPECT_FALSE(cursor.seek(-1));
    EXPECT_TRUE(cursor.seek(1));
    EXPECT_EQ(cursor.get(), 2);
}

}  // namespace
}  // namespace orv
