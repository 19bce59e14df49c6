#include "placement/placement.h"

#include "driver/link_context.h"

namespace orv {

void allocate_sections(LinkContext&) {}

}  // namespace orv
