#include "library/library_reader.h"

#include "driver/link_context.h"

namespace orv {

void read_library(LinkContext&, BinaryInput&) {}

}  // namespace orv
