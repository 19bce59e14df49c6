#include "pass2/pass2.h"

#include "driver/link_context.h"

namespace orv {

void pass2(LinkContext&) {}

}  // namespace orv
