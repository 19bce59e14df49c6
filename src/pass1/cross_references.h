#pragma once
#include <vector>

namespace orv {

// One external reference that pass 1 read: the global name and the module
// that refers to it (its file, and its library module when it is one).
struct Reference {
    const char* name;
    const char* file;
    const char* member;
};

// With --cref, every module's external references in reading order.
struct CrossReferences {
    std::vector<Reference> references;
};

}  // namespace orv
