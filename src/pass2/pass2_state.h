#pragma once
#include <cstdint>

#include "pass1/pass1_state.h"

namespace orv {

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

    // Global number of the last unit of the module being processed: unit
    // numbers in its records must lie from unit_base to here.
    int32_t last_unit = -1;
    // The external names of the module being processed.
    ExternalRange externals;
    // A module read alone (orvobj check) may name in a section-size operand
    // a section that another module of its link holds: such a section then
    // counts 0 bytes instead of being a fault.
    bool module_alone = false;
};

}  // namespace orv
