#include "library/library_reader.h"

#include "driver/link_context.h"

namespace orv {

void read_library(LinkContext&, BinaryInput&) {}

const char* index_name_save(LinkContext& ctx, std::string_view name) { return ctx.str_save(name); }

}  // namespace orv
