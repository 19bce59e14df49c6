#include "placement/region_contributors.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "placement/unit_values.h"

namespace orv {
namespace {

// Adds each unit's bytes to the entry that `key` names for it, entries in the
// order first met.
template <typename Key>
std::vector<Contribution> add_up(const std::vector<const Unit*>& units, Key key) {
    std::vector<Contribution> entries;
    std::unordered_map<std::string, std::size_t> index;
    std::unordered_set<std::string> seen_modules;
    for (const Unit* unit : units) {
        const std::string label = key(*unit);
        if (label.empty()) continue;
        auto [at, added] = index.emplace(label, entries.size());
        if (added) entries.push_back(Contribution{label, 0});
        entries[at->second].bytes += unit_size(*unit);
        if (seen_modules.insert(module_label(*unit)).second) ++entries[at->second].modules;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Contribution& a, const Contribution& b) { return a.bytes > b.bytes; });
    return entries;
}

}  // namespace

std::string module_label(const Unit& unit) {
    std::string label = unit.file_name != nullptr ? unit.file_name : "";
    if (unit.member_name != nullptr) label += std::string(" ( ") + unit.member_name + " )";
    return label;
}

std::vector<Contribution> contributors_of(const std::vector<const Unit*>& units, std::size_t limit) {
    std::vector<Contribution> shown = add_up(units, module_label);
    if (shown.size() > limit) shown.resize(limit);
    for (Contribution& module : shown) module.modules = 0;
    const auto library = [](const Unit& unit) {
        return unit.member_name != nullptr && unit.file_name != nullptr ? std::string(unit.file_name) : std::string();
    };
    std::size_t libraries = 0;
    for (const Contribution& total : add_up(units, library)) {
        if (total.modules > 1 && libraries++ < limit) shown.push_back(total);
    }
    return shown;
}

std::vector<const Unit*> units_in_region(const RegionLayout& layout, int region) {
    std::vector<const Unit*> units;
    for (const Section* section : layout.sections) {
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            const std::size_t no = std::size_t(unit->unit_no);
            if (no < layout.unit_region.size() && layout.unit_region[no] == region) units.push_back(unit);
        }
    }
    return units;
}

}  // namespace orv
