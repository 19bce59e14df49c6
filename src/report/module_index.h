#pragma once
#include <cstddef>
#include <vector>

#include "pass1/sections.h"

namespace orv {

// The modules of the link in the order their first units were read, and the
// module of every unit. A module's units share their file and library module
// names (the same pooled texts), which tells modules apart without
// comparing names.
struct ModuleIndex {
    std::vector<std::size_t> by_unit;   // unit_no -> module number
    std::vector<const Unit*> first;     // module number -> its first unit

    explicit ModuleIndex(const SectionTable& sections);

    std::size_t of(const Unit& unit) const {
        const std::size_t no = std::size_t(unit.unit_no);
        return no < by_unit.size() ? by_unit[no] : 0;
    }
};

}  // namespace orv
