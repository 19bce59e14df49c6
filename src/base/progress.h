#pragma once

namespace orv {

struct LinkContext;

// The "processing" line of a file, or of a library's module, that a pass
// reads; none with --quiet. A finding waiting for its last lines is printed
// first, so that it stays under the line of its own module.
void print_progress(LinkContext& ctx, const char* file, const char* member = nullptr);

}  // namespace orv
