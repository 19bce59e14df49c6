#pragma once
#include <cstdint>
#include <string_view>
#include <unordered_set>

namespace orv {

// Relocatable file from a module's file-name record, in order of first request.
struct RequestedFile {
    const char* name;
    RequestedFile* next;
    const char* requested_by = nullptr;  // the module whose file-name record names it
};

// Library from a module's file-name record; duplicates are kept.
struct RequestedLib {
    const char* name;
    int found;  // opened once; `name` is then the name that opened it
    RequestedLib* next;
    const char* requested_by = nullptr;  // the module whose file-name record names it
};

// State that the object and library readers, pass 2 and the symbol file share.
struct ReaderState {
    const char* current_file = nullptr;    // name of the input file being read
    int32_t unit_base = 0;                 // global number of the module's first unit
    int next_tag = 0;                      // the record tag read ahead
    const char* current_member = nullptr;  // library module being taken in
    const char* source_name = nullptr;     // from the module's file-name record
    const char* first_version = nullptr;   // with -V: version of the first module read
    int collect_requests = 0;

    RequestedFile* requested_files = nullptr;
    RequestedFile* requested_files_tail = nullptr;
    int requested_file_count = 0;
    RequestedLib* requested_libs = nullptr;
    RequestedLib* requested_libs_tail = nullptr;
    int requested_lib_count = 0;

    // Names a file-name record must not request again: the listed
    // relocatable files and every file requested so far. Filled with the
    // listed files on first use.
    std::unordered_set<std::string_view> request_names;
    bool request_names_ready = false;

    // Highest module-local unit number that a public label of the module
    // being read refers to, -1 when none. Reset when a module (or a library
    // module's index) starts; checked by check_label_units once the
    // module's units are known.
    int32_t max_label_unit = -1;
};

}  // namespace orv
