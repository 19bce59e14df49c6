#include <gtest/gtest.h>

#include <string>

#include "driver/pools.h"
#include "driver/text_helpers.h"

namespace orv {
namespace {

TEST(Pool, CarvesUpToTheLimitFromOneBlockAndSendsLargerRequestsToTheHeap) {
    Pool pool;
    pool.init();
    std::string text999(999, 'a');
    const char* copy = str_save(pool, text999);
    EXPECT_EQ(std::string(copy), text999);
    EXPECT_EQ(pool.used(), 1000u);
    EXPECT_EQ(pool.block_count(), 1u);

    std::string text1000(1000, 'b');
    EXPECT_EQ(std::string(str_save(pool, text1000)), text1000);
    EXPECT_EQ(pool.used(), 1000u) << "a large request must not touch the current block";
    EXPECT_EQ(pool.block_count(), 2u);
}

TEST(Pool, RequestThatDoesNotFitStartsAFreshBlock) {
    Pool pool;
    pool.init();
    char* first = static_cast<char*>(mem_alloc(pool, 600));
    char* second = static_cast<char*>(mem_alloc(pool, 600));
    EXPECT_EQ(pool.block_count(), 2u);
    EXPECT_TRUE(second < first || second >= first + 1002) << "second request left the first block";
}

TEST(TextHelpers, CountWords) {
    EXPECT_EQ(count_words(""), 0);
    EXPECT_EQ(count_words(" \t\n"), 0);
    EXPECT_EQ(count_words("a  b\tc"), 3);
}

TEST(TextHelpers, GetHexReadsDigitsAndStopsAtTheFirstOther) {
    const char* text = "1fF0 x";
    const char* cursor = text;
    EXPECT_EQ(get_hex(&cursor), 0x1FF0u);
    EXPECT_EQ(cursor, text + 4);

    const char* none = "xyz";
    cursor = none;
    EXPECT_EQ(get_hex(&cursor), 0u);
    EXPECT_EQ(cursor, none);

    const char* nine = "123456789";
    cursor = nine;
    EXPECT_EQ(get_hex(&cursor), 0x23456789u) << "higher digits shift out";
}

}  // namespace
}  // namespace orv
