#pragma once

namespace orv {

struct LinkContext;

// With regions declared: lists every section that runs past the end of a
// region of its kind (error 34), with the region's largest contributors
// under each region's findings, and every unit that lies outside every region
// of its kind (error 35), with its module. Each finding sets link_failed.
void check_region_fit(LinkContext& ctx);

}  // namespace orv
