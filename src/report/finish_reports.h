#pragma once

namespace orv {

struct LinkContext;

// The reports asked for with --print-memory-usage, --link-report and
// --memory-map, made at the finish once every other output file is complete,
// also for a link that ends with status 1.
void finish_reports(LinkContext& ctx);

}  // namespace orv
