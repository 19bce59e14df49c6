#include "platform/host_files.h"

#include <cstring>

#include "platform/whole_file_read.h"

namespace orv {

bool read_to_end(std::size_t size_now, const std::function<long long(char* into, std::size_t count)>& read,
                 std::unique_ptr<char[]>& bytes, std::size_t& size) {
    std::size_t capacity = size_now > 0 ? size_now + 1 : 4096;
    std::unique_ptr<char[]> buffer(new char[capacity]);
    std::size_t filled = 0;
    for (;;) {
        if (filled == capacity) {
            std::unique_ptr<char[]> larger(new char[2 * capacity]);
            std::memcpy(larger.get(), buffer.get(), filled);
            buffer = std::move(larger);
            capacity *= 2;
        }
        long long n = read(buffer.get() + filled, capacity - filled);
        if (n < 0) return false;
        if (n == 0) break;
        filled += std::size_t(n);
    }
    bytes = std::move(buffer);
    size = filled;
    return true;
}

// What both hosts share: the sides differ in how a name is opened and read.

std::FILE* create_host_file(std::string_view linker_name) { return open_host_file(linker_name, "wb"); }

bool read_host_file(std::string_view linker_name, std::string& bytes) {
    std::unique_ptr<char[]> image;
    std::size_t size = 0;
    if (!read_host_image(linker_name, image, size)) return false;
    bytes.assign(image.get(), size);
    return true;
}

}  // namespace orv
