#pragma once

namespace orv {

struct LinkContext;

// With an output named by a long option (--output, --link-report,
// --memory-map, --why-extract, --dependency-file): no two outputs of the run,
// and no output and input, may be one file, wherever the names differ in
// spelling. Error 44 names the first such pair, before anything is written.
// Run once the inputs are known, at the end of pass 1.
void check_output_collisions(const LinkContext& ctx);

}  // namespace orv
