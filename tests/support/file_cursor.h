#pragma once
#include <memory>
#include <string>

#include "format/image_cursor.h"
#include "platform/host_files.h"

namespace orv::test {

// A cursor that owns the image it reads: a whole file read the way the link
// reads its inputs, for tests that drive one reader step directly.
class FileCursor : private std::string, public ImageCursor {
public:
    explicit FileCursor(std::string bytes)
        : std::string(std::move(bytes)), ImageCursor(static_cast<const std::string&>(*this)) {}

    // The file named by the linker, or null when it cannot be read.
    static std::unique_ptr<FileCursor> open(const std::string& linker_name) {
        std::string bytes;
        if (!read_host_file(linker_name, bytes)) return nullptr;
        return std::make_unique<FileCursor>(std::move(bytes));
    }
};

}  // namespace orv::test
