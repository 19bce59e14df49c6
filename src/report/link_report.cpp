#include "report/link_report.h"

#include "base/link_context.h"
#include "command/output_names.h"
#include "placement/unit_values.h"
#include "report/image_report.h"
#include "report/json_writer.h"
#include "report/report_debug.h"

namespace orv {
namespace {

const char* kind_name(int ram) { return ram != 0 ? "RAM" : "ROM"; }

// The library a module was taken from: libraries of the command come first
// in the numbering, then the libraries that modules requested.
const char* library_file_name(const LinkContext& ctx, const LibModule& module) {
    const std::vector<const char*>& listed = ctx.command.lib_file_names;
    if (module.library_index >= 0 && std::size_t(module.library_index) < listed.size()) {
        return listed[std::size_t(module.library_index)];
    }
    int k = module.library_index - int(listed.size());
    for (const RequestedLib* node = ctx.reader.requested_libs; node != nullptr; node = node->next, --k) {
        if (k == 0) return node->name;
    }
    return nullptr;
}

// Numbers stored in 32-bit fields are unsigned.
int64_t number(int32_t field) { return static_cast<uint32_t>(field); }

void write_command(JsonWriter& json, const LinkContext& ctx) {
    const std::string (&fields)[FIELD_COUNT] = ctx.command.command_field;
    json.key("command");
    json.begin_object();
    json.member("relocatable_files", std::string_view(fields[FIELD_REL_FILES]));
    json.member("libraries", std::string_view(fields[FIELD_LIBRARIES]));
    json.member("section_information", std::string_view(fields[FIELD_SECTION_INFO]));
    json.member("command_parameters", std::string_view(fields[FIELD_PARAMETERS]));
    json.end_object();
}

void write_output_files(JsonWriter& json, const LinkContext& ctx) {
    // The HEX file, then the map and symbol files when they are written.
    const std::vector<OutputFileName> names = output_file_names(ctx);
    std::size_t next = 1;
    const char* map = ctx.options.opt_map ? names.at(next++).shown.c_str() : nullptr;
    const char* symbols = ctx.options.opt_sym ? names.at(next++).shown.c_str() : nullptr;
    json.key("output_files");
    json.begin_object();
    json.member("hex", std::string_view(names.front().shown));
    json.member("map", map);
    json.member("symbols", symbols);
    json.member("link_report", ctx.options.link_report);
    json.member("memory_map", ctx.options.memory_map);
    json.member("binary", ctx.image.binary_file.empty() ? nullptr : ctx.image.binary_file.c_str());
    json.member("srec", ctx.image.srec_file.empty() ? nullptr : ctx.image.srec_file.c_str());
    json.end_object();
}

void write_regions(JsonWriter& json, const std::vector<UsageRow>& rows) {
    json.key("regions");
    json.begin_array();
    for (const UsageRow& row : rows) {
        json.begin_object(true);
        json.member("name", std::string_view(row.name));
        json.member("kind", row.kind == ANY_KIND ? nullptr : kind_name(row.kind));
        json.member("declared", row.declared);
        json.member("start", row.start);
        json.member("end", row.end);
        json.member("size", row.size());
        json.member("used", row.used);
        json.member("free", row.free);
        json.key("largest_free_block");
        json.begin_object();
        json.member("start", row.largest_free_start);
        json.member("length", row.largest_free_length);
        json.end_object();
        json.member("fits", !row.misfit && row.used <= row.size());
        json.end_object();
    }
    json.end_array();
}

void write_sections(JsonWriter& json, const RegionLayout& layout) {
    json.key("sections");
    json.begin_array();
    for (const Section* section : layout.sections) {
        const Unit& first = *section->units;
        JsonRow(json)
            .field("name", section->name)
            .field("kind", kind_name(first.ram))
            .field("attribute", first.abs ? "ABS" : "REL")
            .field("start", number(first.address))
            .field("length", number(section->length));
    }
    json.end_array();
}

void write_units(JsonWriter& json, const LinkContext& ctx, const RegionLayout& layout) {
    const std::vector<Region>& regions = ctx.regions.regions;
    json.key("units");
    json.begin_array();
    for (const Section* section : layout.sections) {
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            const std::size_t no = std::size_t(unit->unit_no);
            const int region = no < layout.unit_region.size() ? layout.unit_region[no] : NO_REGION;
            JsonRow(json)
                .field("unit", unit->unit_no)
                .field("section", section->name)
                .field("file", unit->file_name)
                .field("library_module", unit->member_name)
                .field("start", number(unit->address))
                .field("length", number(unit->size))
                .field("kind", kind_name(unit->ram))
                .field("attribute", unit->abs ? "ABS" : "REL")
                .field("region", region == NO_REGION ? nullptr : regions[std::size_t(region)].name.c_str())
                .field("fits", no >= layout.misfit.size() || layout.misfit[no] == 0);
        }
    }
    json.end_array();
}

void write_globals(JsonWriter& json, const LinkContext& ctx) {
    static const char* const KINDS[] = {"label", "symbol", "bit"};
    json.key("globals");
    json.begin_array();
    // In name order the entries and their names lie all over memory; fetching
    // them some rows ahead keeps the writer from waiting for each one.
    constexpr std::size_t AHEAD = 16;
    const std::vector<SymbolEntry*>& order = ctx.symbols.in_name_order();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + AHEAD < order.size()) __builtin_prefetch(order[i + AHEAD]);
        if (i + AHEAD / 2 < order.size()) {
            const SymbolEntry& later = *order[i + AHEAD / 2];
            __builtin_prefetch(later.name);
            __builtin_prefetch(later.member_name);
        }
        const SymbolEntry& entry = *order[i];
        JsonRow row(json);
        row.field("name", entry.name)
            .field("kind", entry.kind <= SYM_BIT ? KINDS[entry.kind] : "unknown")
            .field("value", number(entry.value));
        if (entry.kind == SYM_BIT) row.field("bit", entry.bit_no);
        row.field("file", entry.file_name).field("library_module", entry.member_name);
    }
    json.end_array();
}

void write_library_modules(JsonWriter& json, const LinkContext& ctx) {
    json.key("library_modules");
    json.begin_array();
    for (const LibModule& module : ctx.library.lib_modules) {
        JsonRow(json)
            .field("library", library_file_name(ctx, module))
            .field("module", module.name)
            .field("needed_name", module.needed_name)
            .field("needed_by_file", module.needed_by_file)
            .field("needed_by_module", module.needed_by_member);
    }
    json.end_array();
}

// Per library: the modules taken in and their ROM and RAM bytes. A library
// named twice (requested by two modules) is one row.
void write_libraries(JsonWriter& json, const LinkContext& ctx) {
    struct Totals {
        const char* name;
        int64_t modules = 0, rom = 0, ram = 0;
    };
    std::vector<Totals> rows;
    auto row_of = [&rows](const char* name) -> Totals& {
        for (Totals& row : rows) {
            if (std::string_view(row.name) == name) return row;
        }
        return rows.emplace_back(Totals{name});
    };
    for (const char* name : ctx.command.lib_file_names) row_of(name);
    for (const RequestedLib* node = ctx.reader.requested_libs; node != nullptr; node = node->next) {
        row_of(node->name);
    }
    const std::vector<Unit*>& table = ctx.sections.unit_table;
    for (const LibModule& module : ctx.library.lib_modules) {
        const char* library = library_file_name(ctx, module);
        if (library == nullptr) continue;
        Totals& row = row_of(library);
        ++row.modules;
        for (int32_t no = module.first_unit; no <= module.last_unit; ++no) {
            if (no < 0 || std::size_t(no) >= table.size() || table[std::size_t(no)] == nullptr) continue;
            const Unit& unit = *table[std::size_t(no)];
            (unit.ram != 0 ? row.ram : row.rom) += number(unit.size);
        }
    }
    json.key("libraries");
    json.begin_array();
    for (const Totals& row : rows) {
        JsonRow(json).field("library", row.name).field("modules", row.modules).field("rom", row.rom).field(
            "ram", row.ram);
    }
    json.end_array();
}

void write_findings(JsonWriter& json, const LinkContext& ctx) {
    json.key("findings");
    json.begin_array();
    for (const Finding& finding : ctx.findings.entries()) {
        std::string_view text = finding.text;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
        JsonRow(json).field("number", finding.number).field("text", text);
    }
    json.end_array();
}

}  // namespace

void write_link_report(ReportFile& file, const LinkContext& ctx, const RegionLayout& layout,
                       const std::vector<UsageRow>& rows) {
    JsonWriter json(&file);
    json.begin_object();
    json.member("format", "orvlink link report");
    json.member("version", LINK_REPORT_VERSION);
    write_command(json, ctx);
    write_output_files(json, ctx);
    json.member("bank_mode", ctx.options.bank_mode != 0);
    write_regions(json, rows);
    write_sections(json, layout);
    write_units(json, ctx, layout);
    write_globals(json, ctx);
    write_functions(json, ctx);
    write_debug_faults(json, ctx);
    write_library_modules(json, ctx);
    write_libraries(json, ctx);
    const LinkTotals totals = link_totals(ctx);
    json.key("totals");
    json.begin_object();
    json.member("rom", totals.rom);
    json.member("ram", totals.ram);
    json.end_object();
    write_image_members(json, ctx);
    write_findings(json, ctx);
    json.member("exit_status", ctx.link_failed ? 1 : 0);
    json.end_object();
    json.finish();
}

}  // namespace orv
