#include "library/library_search.h"

#include "driver/link_context.h"

namespace orv {

void read_libraries(LinkContext&) {}

}  // namespace orv
