#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// The input files the link opened (relocatable files, requested files,
// libraries, the command file), by the names the linker opened them by, in
// the order first opened: the dependency file's prerequisites.
struct OpenedInputs {
    std::vector<std::string> names;

    void note(std::string_view linker_name) { names.emplace_back(linker_name); }
};

}  // namespace orv
