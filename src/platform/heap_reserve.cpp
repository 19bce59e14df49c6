#include "platform/heap_reserve.h"

#include <cstdlib>
#include <new>

namespace orv {
namespace {

// Enough for the exception object and the console's output buffers.
constexpr std::size_t RESERVE_SIZE = 16 * 1024;

void* reserve = nullptr;

// The heap refused a request: the reserve is given back and the request
// fails at once, instead of being retried with the reserve's memory, so
// that the error is thrown while the reserve is still free.
void heap_exhausted() {
    release_heap_reserve();
    throw std::bad_alloc();
}

}  // namespace

bool take_heap_reserve() {
    if (reserve == nullptr) reserve = std::malloc(RESERVE_SIZE);
    if (reserve == nullptr) return false;
    std::set_new_handler(heap_exhausted);
    return true;
}

void release_heap_reserve() {
    std::set_new_handler(nullptr);
    std::free(reserve);
    reserve = nullptr;
}

}  // namespace orv
