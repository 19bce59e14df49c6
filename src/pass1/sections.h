#pragma once
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/pools.h"

namespace orv {

// One module's contribution to one section.
struct Unit {
    int32_t unit_no;           // creation order over the whole link, from 0
    uint8_t ram;               // 0 ROM, non-zero RAM
    uint8_t abs;               // 1 absolute, 0 relocatable
    int32_t address;           // absolute units: as read; after placement: the start address
    int32_t size;
    const char* file_name;     // file the unit was read from
    const char* source_name;   // source name of the module's file-name record
    const char* member_name;   // library module name, or null
    const char* section_name;  // name of the unit's section
    Unit* next;                // next unit of the same section, in reading order
};

struct Section {
    const char* name;
    int placed;
    int order_no;   // position by start address after placement, from 1
    int overlap;    // units of this section overlap
    int32_t length; // end of highest unit minus start; 0 when overlapping
    Unit* units;    // never null: a section is created with its first unit
    Unit* last;     // tail of `units`, for appending
    Section* next;  // next section in order of first appearance
};

// The sections of the program in order of first appearance, and every unit.
struct SectionTable {
    Section* section_list = nullptr;
    Section* section_tail = nullptr;
    int32_t unit_count = 0;
    std::vector<Unit*> unit_table;  // by unit_no; built by placement

    // Same answer as a walk of section_list by exact name, without the walk.
    std::unordered_map<std::string_view, Section*> by_name;

    Section* find_section(std::string_view name) const;

    // Creates the next unit (unit_no = unit_count) at the end of the named
    // section, creating the section at the end of the list when it is new.
    // The caller fills the unit's remaining fields.
    Unit* add_unit(Pools& pools, std::string_view section_name);
};

// Section names of one character z, s, p or r are held in upper case.
std::string_view normalise_section_name(std::string_view name, char (&buffer)[2]);

}  // namespace orv
