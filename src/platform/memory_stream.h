#pragma once
#include <cstdio>
#include <string>

namespace orv {

// A stream whose text stays in memory: a message formatted before it is
// printed, or a console stream of an in-process link. On Windows, which has
// no memory streams, a temporary file that goes when it is closed stands in.
class MemoryStream {
public:
    MemoryStream();
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    // Null when no stream could be made.
    std::FILE* file() const { return file_; }

    // Everything written so far.
    std::string text();

private:
    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace orv
