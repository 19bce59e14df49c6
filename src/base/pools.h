#pragma once
#include <cstddef>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <vector>

namespace orv {

// A bump-pointer arena: requests up to a size limit are carved from large
// heap blocks, back to back; larger requests get a heap block of their own.
// Nothing is freed before the pool itself goes, with the table or link
// context that owns it. Memory is handed out as the heap gives it, not
// cleared.
class Pool {
public:
    // A pool made without sizes takes blocks of POOL_BLOCK bytes, of which
    // it hands out POOL_LIMIT, and gives larger requests their own block.
    static constexpr std::size_t POOL_BLOCK = 1002;
    static constexpr std::size_t POOL_LIMIT = 1000;

    Pool() = default;
    // Blocks of `block` bytes, all handed out; requests above `limit` get a
    // block of their own.
    Pool(std::size_t block, std::size_t limit)
        : block_(block), room_(block), limit_(limit < block ? limit : block) {}
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;
    ~Pool();

    // Takes the first block; a link does this once at start-up.
    void init();

    // n bytes, placed back to back with the previous request, rounded up to
    // `align` (1 for text, the record's alignment for records).
    void* allocate(std::size_t n, std::size_t align = 1);

    // Bytes used in the current block, and the number of heap blocks taken.
    std::size_t used() const { return used_; }
    std::size_t block_count() const { return blocks_.size(); }

private:
    void* take_from_heap(std::size_t n);

    std::size_t block_ = POOL_BLOCK;  // bytes taken from the heap per block
    std::size_t room_ = POOL_LIMIT;   // of them, bytes handed out
    std::size_t limit_ = POOL_LIMIT;  // largest request carved from a block
    std::vector<char*> blocks_;
    char* current_ = nullptr;
    std::size_t used_ = 0;
};

// The two arenas of a link: texts in one, records and arrays in the other.
// A link enters some hundred thousand names and records, so both take the
// heap's memory in blocks of 64 KiB; a request above 4 KiB gets a block of
// its own rather than leave the rest of a block unused.
struct Pools {
    static constexpr std::size_t ARENA_BLOCK = 64 * 1024;
    static constexpr std::size_t ARENA_LIMIT = 4 * 1024;

    Pool str_pool{ARENA_BLOCK, ARENA_LIMIT};
    Pool mem_pool{ARENA_BLOCK, ARENA_LIMIT};
};

// A pooled copy of `text` with its terminator.
const char* str_save(Pool& pool, std::string_view text);

// n bytes from the record pool.
void* mem_alloc(Pool& pool, std::size_t n);

// A record of type T built in the record pool. Records live as long as the
// pool and are never destroyed one by one, so T must not need destruction.
template <typename T, typename... Args>
T* pool_new(Pool& pool, Args&&... args) {
    static_assert(std::is_trivially_destructible_v<T>, "pool records are never destroyed");
    return new (pool.allocate(sizeof(T), alignof(T))) T{std::forward<Args>(args)...};
}

}  // namespace orv
