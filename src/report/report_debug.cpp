#include "report/report_debug.h"

#include "base/link_context.h"
#include "pass2/debug_tables.h"
#include "report/json_writer.h"

namespace orv {

const Unit* unit_of(const LinkContext& ctx, const DebugFunction& function) {
    const std::vector<Unit*>& table = ctx.sections.unit_table;
    const std::size_t no = std::size_t(function.unit_no);
    return no < table.size() ? table[no] : nullptr;
}

void write_functions(JsonWriter& json, const LinkContext& ctx) {
    json.key("functions");
    json.begin_array();
    for (const DebugFunction& function : ctx.debug.functions) {
        const Unit* unit = unit_of(ctx, function);
        if (unit == nullptr) continue;  // the tables keep only functions of the module's units
        JsonRow row(json);
        row.field("number", int64_t(function.number))
            .field("name", function.name)
            .field("file", unit->file_name)
            .field("library_module", unit->member_name)
            .field("section", unit->section_name)
            .field("unit", function.unit_no)
            .field("start", int64_t(unit_address(*unit, function.start)))
            .field("size", function_size(function))
            .field("source_file", function.source_file);
        if (function.source_file != nullptr) {
            row.field("line", int64_t(function.line));
        } else {
            row.field("line", static_cast<const char*>(nullptr));
        }
    }
    json.end_array();
}

void write_debug_faults(JsonWriter& json, const LinkContext& ctx) {
    json.key("debug_faults");
    json.begin_array();
    for (const DebugFault& fault : ctx.debug.faults) {
        JsonRow(json)
            .field("file", fault.file)
            .field("library_module", fault.member)
            .field("reason", std::string_view(fault.reason));
    }
    json.end_array();
}

std::vector<std::vector<const DebugFunction*>> functions_by_unit(const LinkContext& ctx) {
    std::vector<std::vector<const DebugFunction*>> by_unit(ctx.sections.unit_table.size());
    for (const DebugFunction& function : ctx.debug.functions) {
        const std::size_t no = std::size_t(function.unit_no);
        if (no < by_unit.size()) by_unit[no].push_back(&function);
    }
    return by_unit;
}

}  // namespace orv
