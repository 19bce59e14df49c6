#pragma once

namespace orv {

struct LinkContext;
struct Section;

// With --orphan-handling=warn or error, reports a relocatable section that
// the section information does not list, once placed (Z and S have places
// of their own and are never orphans): message 43 with its address and the
// modules it comes from. A warning under warn; under error it fails the link.
void report_orphan_section(LinkContext& ctx, const Section& section);

}  // namespace orv
