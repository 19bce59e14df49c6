#include "pass1/pass1.h"

#include "driver/link_context.h"

namespace orv {

void pass1(LinkContext&) {}

}  // namespace orv
