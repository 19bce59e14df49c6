#include "common/tool_files.h"

#include <cstdio>
#include <memory>

#include "platform/host_files.h"
#include "platform/staged_files.h"

namespace orvtool {

bool read_input(const std::string& path, std::string& bytes) {
    std::unique_ptr<char[]> image;
    std::size_t size = 0;
    if (!orv::read_host_image(path, image, size)) return false;
    bytes.assign(image.get(), size);
    return true;
}

bool write_output(const std::string& path, const void* bytes, std::size_t size) {
    std::string written;
    std::string place;
    std::FILE* file = orv::open_staged_file(path, written, place);
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes, 1, size, file) == size;
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        if (written != place) orv::remove_written_file(written);
        return false;
    }
    return orv::place_staged_file(written, place);
}

bool same_file(const std::string& a, const std::string& b) {
    orv::FileIdentity first;
    orv::FileIdentity second;
    return orv::host_file_identity(a, first) && orv::host_file_identity(b, second) && first.entry.empty() &&
           first == second;
}

bool file_exists(const std::string& path) {
    orv::FileIdentity identity;
    return orv::host_file_identity(path, identity) && identity.entry.empty();
}

}  // namespace orvtool
