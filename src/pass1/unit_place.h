#pragma once
#include <cstdint>

#include "base/explain.h"
#include "base/findings.h"
#include "pass1/sections.h"

namespace orv {

// The place of a byte of a unit, for a finding about it: the unit's file and
// module, its section and the address.
inline FindingPlace unit_place(const Unit& unit, uint32_t address) {
    FindingPlace place;
    if (unit.file_name != nullptr) place.file = unit.file_name;
    place.module = module_name(unit.file_name, unit.member_name);
    if (unit.section_name != nullptr) place.section = unit.section_name;
    place.has_address = true;
    place.address = address;
    place.unit_no = unit.unit_no;
    return place;
}

}  // namespace orv
