#include "base/pools.h"

#include <cstdlib>

#include "base/diagnostics.h"

namespace orv {

Pool::~Pool() {
    for (char* block : blocks_) std::free(block);
}

void* Pool::take_from_heap(std::size_t n) {
    void* block = std::malloc(n == 0 ? 1 : n);
    if (block == nullptr) error_exit(ERR_OUT_OF_HEAP);
    blocks_.push_back(static_cast<char*>(block));
    return block;
}

void Pool::init() {
    current_ = static_cast<char*>(take_from_heap(POOL_BLOCK));
    used_ = 0;
}

void* Pool::allocate(std::size_t n, std::size_t align) {
    if (n > POOL_LIMIT) return take_from_heap(n);
    if (current_ == nullptr) init();
    std::size_t start = (used_ + align - 1) / align * align;
    if (start + n > POOL_LIMIT) {
        current_ = static_cast<char*>(take_from_heap(POOL_BLOCK));
        start = 0;
    }
    used_ = start + n;
    return current_ + start;
}

const char* str_save(Pool& pool, std::string_view text) {
    char* copy = static_cast<char*>(pool.allocate(text.size() + 1));
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

void* mem_alloc(Pool& pool, std::size_t n) {
    return pool.allocate(n, alignof(std::max_align_t));
}

}  // namespace orv
