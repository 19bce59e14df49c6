#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pass2/debug_state.h"

namespace orv {

struct LinkContext;
struct Unit;
class JsonWriter;

// The `functions` and `debug_faults` arrays of the link report.
void write_functions(JsonWriter& json, const LinkContext& ctx);
void write_debug_faults(JsonWriter& json, const LinkContext& ctx);

// The unit of a function, or null when the table has none of its number.
const Unit* unit_of(const LinkContext& ctx, const DebugFunction& function);

// A function's bytes: its end is its last byte.
inline int64_t function_size(const DebugFunction& function) {
    return int64_t(function.end) - int64_t(function.start) + 1;
}

// The functions of every unit, in table order: unit_no -> the functions in it.
std::vector<std::vector<const DebugFunction*>> functions_by_unit(const LinkContext& ctx);

}  // namespace orv
