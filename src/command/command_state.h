#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

constexpr int FIELD_COUNT = 4;
constexpr int FIELD_CHARS = 8192;  // characters a command field may hold
constexpr int32_t NO_ADDRESS = -1;

enum FieldIndex { FIELD_REL_FILES = 0, FIELD_LIBRARIES = 1, FIELD_SECTION_INFO = 2, FIELD_PARAMETERS = 3 };

// A placement request of the section information field.
struct SecInfoEntry {
    const char* name;
    int32_t address;  // NO_ADDRESS when the item gives none
};

// What command input produces: the four fields and the lists parsed from them.
struct CommandState {
    std::string command_field[FIELD_COUNT];

    std::vector<const char*> rel_file_names;
    std::vector<const char*> lib_file_names;
    std::vector<int> lib_file_flags;  // library opened once under lib_file_names[i]
    std::vector<SecInfoEntry> sec_info;
};

}  // namespace orv
