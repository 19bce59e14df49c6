#pragma once
namespace orv {

struct LinkContext;

// With --dependency-file=FILE, writes FILE as a make rule: the output files
// of this run depend on every input it opened, each of which also gets an
// empty rule of its own, so that make does not stop when one is deleted.
// Written whole or not at all: a failure, or a name that make cannot read,
// is error 31.
void write_dependency_file(LinkContext& ctx);

}  // namespace orv
