#pragma once
#include <string>

namespace orv {

// The verdict on one relocatable object.
struct ObjectCheck {
    bool clean = true;
    std::string fault;  // the first fault, with its file offset when it has one
};

// Runs the linker's own readers over one relocatable object as a link of
// it alone would: its pass-1 records with the unit and label checks, then,
// with its units placed, its relocation, contents and debug records with
// the unit and name checks. Names the module refers to count as defined;
// range findings, which depend on the link, are not faults. The first
// fault ends the check.
ObjectCheck check_object(const std::string& path);

}  // namespace orv
