#pragma once

namespace orv {

struct LinkContext;

// Reads every listed and requested module and takes library modules in until
// every referenced name is defined; ends the run when names stay unresolved
// or are defined twice.
void pass1(LinkContext& ctx);

// The first step of pass 1 on its own: the pass-1 part of every listed
// relocatable file, and where pass 2 resumes reading each.
void read_listed_files(LinkContext& ctx);

}  // namespace orv
