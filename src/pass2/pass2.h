#pragma once
#include <cstdint>

namespace orv {

struct LinkContext;

// The relocation entry being applied, and the relocation reader's state.
struct Pass2State {
    int32_t current_unit = 0;
    int32_t rel_unit = 0;
    int32_t rel_address = 0;
    int rel_type = 0;
    int rel_size = 0;
    int32_t rel_value = 0;
    int rel_pending = 0;
    int rel_ended = 0;
    int rel_need_unit = 1;
};

// Reads every module's contents again, relocates them and streams the bytes
// into the HEX file, in the fixed module order.
void pass2(LinkContext& ctx);

}  // namespace orv
