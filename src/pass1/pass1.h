#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

struct LinkContext;

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

// Reads every listed and requested module and takes library modules in until
// every referenced name is defined; ends the run when names stay unresolved
// or are defined twice.
void pass1(LinkContext& ctx);

// The first step of pass 1 on its own: the pass-1 part of every listed
// relocatable file, and where pass 2 resumes reading each.
void read_listed_files(LinkContext& ctx);

}  // namespace orv
