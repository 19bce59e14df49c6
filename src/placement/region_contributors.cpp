#include "placement/region_contributors.h"

#include <algorithm>
#include <unordered_map>

#include "placement/unit_values.h"

namespace orv {

std::string module_label(const Unit& unit) {
    std::string label = unit.file_name != nullptr ? unit.file_name : "";
    if (unit.member_name != nullptr) label += std::string(" ( ") + unit.member_name + " )";
    return label;
}

std::vector<Contribution> largest_contributors(const RegionLayout& layout, int region, std::size_t limit) {
    std::vector<Contribution> modules;
    std::unordered_map<std::string, std::size_t> index;
    for (const Section* section : layout.sections) {
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            const std::size_t no = std::size_t(unit->unit_no);
            if (no >= layout.unit_region.size() || layout.unit_region[no] != region) continue;
            std::string label = module_label(*unit);
            auto [at, added] = index.emplace(label, modules.size());
            if (added) modules.push_back(Contribution{label, 0});
            modules[at->second].bytes += unit_size(*unit);
        }
    }
    std::stable_sort(modules.begin(), modules.end(),
                     [](const Contribution& a, const Contribution& b) { return a.bytes > b.bytes; });
    if (modules.size() > limit) modules.resize(limit);
    return modules;
}

}  // namespace orv
