#include "platform/memory_stream.h"

#include <cstdlib>

namespace orv {

MemoryStream::MemoryStream() : file_(open_memstream(&buffer_, &size_)) {}

MemoryStream::~MemoryStream() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(buffer_);
}

std::string MemoryStream::text() {
    if (file_ == nullptr) return {};
    std::fflush(file_);
    return std::string(buffer_, size_);
}

}  // namespace orv
