#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

// Where pass 2 finds each relocatable file's units and resumes reading it.
struct ModuleTable {
    std::vector<int32_t> first_unit;
    std::vector<int32_t> last_unit;  // first_unit - 1 for a module without units
    std::vector<long> resume_offset; // offset of the tag at which pass 1 stopped
};

struct Pass1State {
    const char* library_dir = nullptr;  // LIBOV, or null
    std::size_t library_dir_length = 0;
    ModuleTable rel;  // files of the relocatable-files field
    ModuleTable req;  // files that modules requested
    int library_index = 0;  // library being read: command line first, then requested
    int member_added = 0;   // a library module was taken in during this cycle
};

}  // namespace orv
