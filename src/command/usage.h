#pragma once

namespace orv {

struct LinkContext;

// The short usage text of --help, on standard output.
void print_usage(LinkContext& ctx);

}  // namespace orv
