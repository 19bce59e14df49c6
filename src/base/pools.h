#pragma once
#include <cstddef>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <vector>

namespace orv {

// A bump-pointer arena: small requests are carved from blocks of
// POOL_BLOCK bytes, of which at most POOL_LIMIT are handed out; larger
// requests get a heap block of their own. Nothing is freed before the pool
// itself goes, with the link context that owns it.
class Pool {
public:
    static constexpr std::size_t POOL_BLOCK = 1002;
    static constexpr std::size_t POOL_LIMIT = 1000;

    Pool() = default;
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

    std::vector<char*> blocks_;
    char* current_ = nullptr;
    std::size_t used_ = 0;
};

// The two pools of a link: texts in one, records and arrays in the other.
struct Pools {
    Pool str_pool;
    Pool mem_pool;
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
