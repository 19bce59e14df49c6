#include "base/pools.h"

#include <cstdlib>

#include "base/diagnostics.h"
#include "platform/heap_reserve.h"

namespace orv {

Pool::~Pool() {
    for (char* block : blocks_) std::free(block);
}

void* Pool::take_from_heap(std::size_t n) {
    void* block = std::malloc(n == 0 ? 1 : n);
    // The heap reserve goes back first, as when operator new fails, so
    // that the error can still be reported.
    if (block == nullptr) {
        release_heap_reserve();
        error_exit(ERR_OUT_OF_HEAP);
    }
    blocks_.push_back(static_cast<char*>(block));
    return block;
}

void Pool::init() {
    current_ = static_cast<char*>(take_from_heap(block_));
    used_ = 0;
}

void* Pool::allocate(std::size_t n, std::size_t align) {
    if (n > limit_) return take_from_heap(n);
    if (current_ == nullptr) init();
    std::size_t start = (used_ + align - 1) / align * align;
    if (start + n > room_) {
        current_ = static_cast<char*>(take_from_heap(block_));
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
