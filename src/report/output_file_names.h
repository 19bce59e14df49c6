#pragma once
#include <string>

namespace orv {

struct LinkContext;

// The names under which placement created the HEX, map and symbol files.
struct OutputFileNames {
    std::string hex;
    std::string map;
    std::string sym;
};

OutputFileNames output_file_names(const LinkContext& ctx);

}  // namespace orv
