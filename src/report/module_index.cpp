#include "report/module_index.h"

#include <functional>
#include <unordered_map>
#include <utility>

namespace orv {
namespace {

using ModuleNames = std::pair<const char*, const char*>;  // file, library module

struct NamesHash {
    std::size_t operator()(const ModuleNames& names) const {
        return std::hash<const char*>()(names.first) * 31 + std::hash<const char*>()(names.second);
    }
};

}  // namespace

ModuleIndex::ModuleIndex(const SectionTable& sections) {
    by_unit.assign(sections.unit_table.size(), 0);
    std::unordered_map<ModuleNames, std::size_t, NamesHash> modules;
    for (const Unit* unit : sections.unit_table) {
        if (unit == nullptr) continue;
        auto [module, added] = modules.emplace(ModuleNames{unit->file_name, unit->member_name}, first.size());
        if (added) first.push_back(unit);
        by_unit[std::size_t(unit->unit_no)] = module->second;
    }
}

}  // namespace orv
