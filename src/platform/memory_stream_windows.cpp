#include "platform/memory_stream.h"

#include <windows.h>

#include <vector>

namespace orv {

// A file in the user's temporary directory, opened for update in binary
// ("D": removed when it is closed, "T": kept in memory as far as it can be).
MemoryStream::MemoryStream() {
    wchar_t dir[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, dir) == 0 || GetTempFileNameW(dir, L"orv", 0, name) == 0) return;
    file_ = _wfopen(name, L"w+bTD");
}

MemoryStream::~MemoryStream() {
    if (file_ != nullptr) std::fclose(file_);
}

std::string MemoryStream::text() {
    if (file_ == nullptr) return {};
    std::fflush(file_);
    const long end = std::ftell(file_);
    std::string bytes(std::size_t(end > 0 ? end : 0), '\0');
    std::rewind(file_);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file_));
    std::fseek(file_, 0, SEEK_END);
    return bytes;
}

}  // namespace orv
