#include "pass1/sections.h"

#include "base/text_helpers.h"

namespace orv {

Section* SectionTable::find_section(std::string_view name) const {
    auto found = by_name.find(name);
    return found == by_name.end() ? nullptr : found->second;
}

Unit* SectionTable::add_unit(Pools& pools, std::string_view section_name) {
    Unit* unit = pool_new<Unit>(pools.mem_pool);
    *unit = Unit{};
    unit->unit_no = unit_count++;
    Section* section = find_section(section_name);
    if (section == nullptr) {
        section = pool_new<Section>(pools.mem_pool);
        *section = Section{};
        section->name = str_save(pools.str_pool, section_name);
        section->units = unit;
        if (section_tail == nullptr) {
            section_list = section;
        } else {
            section_tail->next = section;
        }
        section_tail = section;
        by_name.emplace(std::string_view(section->name), section);
    } else {
        section->last->next = unit;
    }
    section->last = unit;
    unit->section_name = section->name;
    return unit;
}

std::string_view normalise_section_name(std::string_view name, char (&buffer)[2]) {
    if (name.size() == 1) {
        char upper = to_upper_ascii(name[0]);
        if (upper == 'Z' || upper == 'S' || upper == 'P' || upper == 'R') {
            buffer[0] = upper;
            buffer[1] = '\0';
            return std::string_view(buffer, 1);
        }
    }
    return name;
}

}  // namespace orv
