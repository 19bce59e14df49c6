#pragma once
#include <cstddef>
#include <functional>
#include <memory>

namespace orv {

// Reads a file to its end into a buffer taken from the heap as it is (the
// reads fill it, so it is not cleared first): one read of `size_now`, the
// size the file has when it is opened, and on while it grows, so the image
// holds whatever a reader would have seen. `read` reads up to `count` bytes
// to `into` and answers how many (0 at the end), or -1 on failure. False
// when a read fails.
bool read_to_end(std::size_t size_now, const std::function<long long(char* into, std::size_t count)>& read,
                 std::unique_ptr<char[]>& bytes, std::size_t& size);

}  // namespace orv
