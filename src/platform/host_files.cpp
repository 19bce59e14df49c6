#include "platform/host_files.h"

namespace orv {

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
