#pragma once
#include <string>
#include <vector>

namespace orv {

// The verdict on one relocatable object.
struct ObjectCheck {
    bool clean = true;
    std::string fault;  // the first fault, with its file offset when it has one
};

// The other files of the link that a module is checked in (`check --link`):
// relocatable objects and libraries, the checked module not among them.
struct LinkFiles {
    bool given = false;
    std::vector<std::string> objects;
    std::vector<std::string> libraries;
};

// Runs the linker's own readers over one relocatable object as a link of
// it alone would: its pass-1 records with the unit and label checks, then,
// with its units placed, its relocation, contents and debug records with
// the unit and name checks. Names the module refers to count as defined;
// range findings, which depend on the link, are not faults. The first
// fault ends the check.
//
// A section-size operand naming a section the module lacks counts 0 bytes
// alone: the section may be another module's. With the files of its link
// given, their first pass is read too (the module first, then the objects,
// then the libraries searched for the names still undefined), so that their
// sections exist with their sizes: the operand is then checked for real,
// and a fault in another file is named with that file. The second pass
// reads the checked module only.
ObjectCheck check_object(const std::string& path, const LinkFiles& link = {});

}  // namespace orv
