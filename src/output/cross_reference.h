#pragma once
#include <cstdio>
#include <vector>

#include "platform/text_output.h"

namespace orv {

struct LinkContext;

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

// Keeps one external reference of the module being read (with --cref only).
void record_reference(LinkContext& ctx, const char* name);

// The cross-reference table: every global name in byte order, its definer,
// then every other module that refers to it. Written into the map file, or
// to standard output when `map` is null.
void write_cross_reference(LinkContext& ctx, TextOutput* map);

}  // namespace orv
