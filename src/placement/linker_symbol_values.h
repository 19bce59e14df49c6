#pragma once

namespace orv {

struct LinkContext;

// Gives the names the linker defined their final values, once every label
// has its address: __start_NAME the first address of section NAME and
// __stop_NAME its start plus its length; a --defsym that follows a name
// that name's value plus its offset, with that name's kind.
void settle_linker_symbols(LinkContext& ctx);

}  // namespace orv
