#pragma once
#include <cstdint>
#include <string>

namespace orv {

// One --defsym=NAME=VALUE as the command gave it.
struct SymbolDefinition {
    std::string name;    // the name defined
    std::string target;  // the global name whose address it follows; empty for a number
    uint32_t value = 0;  // the number itself, or the offset added to the target's value
    std::string option;  // the option as typed, for messages
};

// What placement does with a section that the section information does not list.
enum class OrphanHandling { PLACE, WARN, ERROR };

}  // namespace orv
