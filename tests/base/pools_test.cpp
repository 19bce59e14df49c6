#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/pools.h"
#include "base/text_helpers.h"

namespace orv {
namespace {

TEST(Pool, CarvesUpToTheLimitFromABlockAndSendsLargerRequestsToTheHeap) {
    Pool pool;
    pool.init();
    std::string text999(999, 'a');
    EXPECT_EQ(std::string(str_save(pool, text999)), text999);
    EXPECT_EQ(pool.used(), 1000u);
    EXPECT_EQ(pool.block_count(), 1u);

    std::string text1000(1000, 'b');
    EXPECT_EQ(std::string(str_save(pool, text1000)), text1000);
    EXPECT_EQ(pool.used(), 1000u) << "a large request must not touch the current block";
    EXPECT_EQ(pool.block_count(), 2u);

    // Two requests of 600 bytes land in two blocks of their own.
    Pool records;
    records.init();
    char* first = static_cast<char*>(mem_alloc(records, 600));
    char* second = static_cast<char*>(mem_alloc(records, 600));
    EXPECT_EQ(records.block_count(), 2u);
    EXPECT_EQ(records.used(), 600u);
    EXPECT_TRUE(second < first || second >= first + Pool::POOL_BLOCK);
}

// A link's arenas carve everything up to their limit from large blocks,
// back to back, and give a larger request a block of its own without
// leaving the current block.
TEST(Pool, SizedPoolsFillLargeBlocksAndGiveLargerRequestsTheirOwn) {
    Pool pool(4096, 512);
    const char* first = str_save(pool, "a");
    for (int i = 0; i < 3000; ++i) str_save(pool, "x");
    // 6002 bytes: the first block's 4096 are all handed out.
    EXPECT_EQ(pool.block_count(), 2u);
    EXPECT_EQ(pool.used(), 6002u - 4096u);

    std::string text513(513, 'b');
    const char* large = str_save(pool, text513);
    EXPECT_EQ(std::string(large), text513);
    EXPECT_EQ(pool.block_count(), 3u);
    EXPECT_EQ(pool.used(), 6002u - 4096u) << "the current block goes on where it was";

    // Records keep their alignment inside a block.
    auto* record = static_cast<char*>(mem_alloc(pool, 24));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(record) % alignof(std::max_align_t), 0u);
    EXPECT_EQ(std::string(first), "a");
}

TEST(TextHelpers, CountWordsAndGetHex) {
    EXPECT_EQ(count_words(""), 0);
    EXPECT_EQ(count_words(" \t\n\v\f\r"), 0);
    EXPECT_EQ(count_words("a  b\tc"), 3);

    const struct {
        const char* text;
        uint32_t value;
        int digits;
    } cases[] = {{"1fF0 x", 0x1FF0, 4}, {"xyz", 0, 0}, {"0x10", 0, 1}, {"123456789", 0x23456789, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const char* cursor = c.text;
        EXPECT_EQ(get_hex(&cursor), c.value);
        EXPECT_EQ(cursor, c.text + c.digits);
    }
}

}  // namespace
}  // namespace orv
