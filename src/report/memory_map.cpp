#include "report/memory_map.h"

#include <algorithm>

#include "base/link_context.h"
#include "base/text_helpers.h"
#include "command/output_names.h"
#include "placement/unit_values.h"
#include "report/memory_map_svg.h"
#include "report/module_colours.h"
#include "report/module_index.h"
#include "report/xml_text.h"

namespace orv {
namespace {

const char* const STYLE =
    "body { font-family: sans-serif; font-size: 13px; color: #111; margin: 16px; }\n"
    "h1 { font-size: 20px; } h2 { font-size: 16px; margin-top: 24px; }\n"
    "table { border-collapse: collapse; margin-top: 6px; }\n"
    "th, td { border: 1px solid #BBB; padding: 2px 8px; }\n"
    "th { background: #EEE; text-align: left; }\n"
    "td.number, table.modules td:nth-child(n+4) { text-align: right; font-family: monospace; }\n"
    "td.address { font-family: monospace; }\n"
    "span.swatch { display: inline-block; width: 12px; height: 12px; border: 1px solid #888; }\n"
    ".bad { color: #D00000; font-weight: bold; }\n"
    "pre { background: #FFF4F4; border: 1px solid #D00000; padding: 6px; }\n"
    "svg.bank { display: block; margin: 6px 0; }\n";

// One module's bytes.
struct ModuleRow {
    const Unit* first;
    int64_t rom = 0;
    int64_t ram = 0;
    int64_t units = 0;
};

std::vector<ModuleRow> modules_by_size(const LinkContext& ctx, const ModuleIndex& modules) {
    std::vector<ModuleRow> rows;
    for (const Unit* first : modules.first) rows.push_back(ModuleRow{first});
    for (const Unit* unit : ctx.sections.unit_table) {
        if (unit == nullptr) continue;
        ModuleRow& row = rows[modules.of(*unit)];
        (unit->ram ? row.ram : row.rom) += unit_size(*unit);
        ++row.units;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ModuleRow& a, const ModuleRow& b) { return a.rom + a.ram > b.rom + b.ram; });
    return rows;
}

std::string cell(const std::string& text, const char* css_class = nullptr) {
    std::string html = css_class != nullptr ? std::string("<td class=\"") + css_class + "\">" : "<td>";
    return html + text + "</td>";
}

std::string number_cell(int64_t value) { return cell(std::to_string(value), "number"); }

void module_table(Markup& html, const LinkContext& ctx, const ModuleIndex& modules, const ModuleColours& colours) {
    html << "<h2>Modules by size</h2>\n<table class=\"modules\">\n"
            "<tr><th></th><th>Module</th><th>Library</th><th>ROM bytes</th><th>RAM bytes</th>"
            "<th>Total</th><th>Units</th></tr>\n";
    for (const ModuleRow& row : modules_by_size(ctx, modules)) {
        const Unit& unit = *row.first;
        const bool library = unit.member_name != nullptr;
        html << "<tr><td><span class=\"swatch\" style=\"background: " << colours.of(unit) << "\"></span></td><td>";
        html.escaped(library ? unit.member_name : unit.file_name) << "</td><td>";
        if (library) html.escaped(unit.file_name);
        html << "</td><td>" << row.rom << "</td><td>" << row.ram << "</td><td>" << row.rom + row.ram << "</td><td>"
             << row.units << "</td></tr>\n";
    }
    html << "</table>\n";
}

void region_table(Markup& html, const std::vector<UsageRow>& rows, bool bank_mode) {
    html << "<h2>Regions</h2>\n<table class=\"regions\">\n"
            "<tr><th>Region</th><th>Kind</th><th>Start</th><th>End</th><th>Size</th><th>Used</th>"
            "<th>Free</th><th>Largest free block</th><th>% used</th><th>Fits</th></tr>\n";
    for (const UsageRow& row : rows) {
        const bool fits = !row.misfit && row.used <= row.size();
        char percent[32];
        std::snprintf(percent, sizeof percent, "%.2f%%", double(row.used) * 100.0 / double(row.size()));
        html << "<tr>" + cell(xml_text(row.name)) +
                cell(row.kind == ANY_KIND ? "any" : row.kind ? "RAM" : "ROM") +
                cell(hex_address(row.start, bank_mode), "address") + cell(hex_address(row.end, bank_mode), "address") +
                number_cell(row.size()) + number_cell(row.used) + number_cell(row.free);
        html << cell(std::to_string(row.largest_free_length) + " at " + hex_address(row.largest_free_start, bank_mode),
                     "number");
        html << cell(percent, "number") + (fits ? cell("yes") : cell("no", "bad")) + "</tr>\n";
    }
    html << "</table>\n";
}

// The fill and the checksums, as the picture marks them.
void image_table(Markup& html, const LinkContext& ctx, bool bank_mode) {
    const ImageRequest& image = ctx.image;
    const ImageResults& results = ctx.output.image_results;
    if (!image.fill && image.checksums.empty()) return;
    html << "<h2>Flash image</h2>\n<table class=\"image\">\n"
            "<tr><th>What</th><th>Start</th><th>End</th><th>Value</th></tr>\n";
    if (image.fill) {
        html << "<tr>" + cell("fill") + cell(hex_address(results.fill_start, bank_mode), "address") +
                    cell(hex_address(results.fill_end, bank_mode), "address") +
                    cell(hex_text(image.fill_value, 2), "address") + "</tr>\n";
    }
    for (std::size_t i = 0; i < image.checksums.size(); ++i) {
        const ChecksumRequest& checksum = image.checksums[i];
        const AddressRange bytes = checksum.bytes();
        const std::string value =
            i < results.checksum_values.size() ? hex_text(results.checksum_values[i], checksum.model.value_bytes() * 2) : "";
        html << "<tr>" + cell(xml_text(checksum.model_name) + " over " + hex_address(checksum.range.start, bank_mode) +
                              "-" + hex_address(checksum.range.end, bank_mode)) +
                    cell(hex_address(bytes.start, bank_mode), "address") +
                    cell(hex_address(bytes.end, bank_mode), "address") + cell(value, "address") + "</tr>\n";
    }
    html << "</table>\n";
}

void findings_list(Markup& html, const LinkContext& ctx) {
    if (ctx.findings.entries().empty()) return;
    html << "<h2>Findings</h2>\n<pre>";
    for (const Finding& finding : ctx.findings.entries()) {
        html << xml_text("ERROR NO." + std::to_string(finding.number) + ": " + finding.text);
        if (finding.text.empty() || finding.text.back() != '\n') html << "\n";
    }
    html << "</pre>\n";
}

}  // namespace

void write_memory_map(ReportFile& file, const LinkContext& ctx, const RegionLayout& layout,
                      const std::vector<UsageRow>& rows) {
    const ModuleIndex modules(ctx.sections);
    const bool bank_mode = ctx.options.bank_mode != 0;
    const std::string hex_name = output_file_names(ctx).front().shown;
    const LinkTotals totals = link_totals(ctx);

    // The units of each bank by address; a unit above the last bank is drawn in it.
    const int banks = bank_mode ? 2 : 1;
    std::vector<std::vector<const Unit*>> by_bank(static_cast<std::size_t>(banks));
    for (const Section* section : layout.sections) {
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            const int bank = int(std::min<int64_t>(unit_address(*unit) / BANK_SIZE, banks - 1));
            by_bank[std::size_t(bank)].push_back(unit);
        }
    }
    for (auto& units : by_bank) {
        std::stable_sort(units.begin(), units.end(), [](const Unit* a, const Unit* b) {
            return unit_address(*a) < unit_address(*b);
        });
    }
    // Modules shown side by side: along each bar, and in the table's rows.
    std::vector<std::vector<std::size_t>> side_by_side;
    for (const auto& units : by_bank) {
        side_by_side.emplace_back();
        for (const Unit* unit : units) side_by_side.back().push_back(modules.of(*unit));
    }
    side_by_side.emplace_back();
    for (const ModuleRow& row : modules_by_size(ctx, modules)) side_by_side.back().push_back(modules.of(*row.first));
    const ModuleColours colours(modules, side_by_side);

    Markup html(&file);
    html << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>";
    html << "Memory map of " + xml_text(hex_name) + "</title>\n<style>\n" + STYLE + "</style>\n</head>\n<body>\n";
    html << "<h1>Memory map of " + xml_text(hex_name) + "</h1>\n<p>Total ROM " + byte_count(totals.rom) +
            ", total RAM " + byte_count(totals.ram) + "; " +
            std::to_string(ctx.sections.unit_count) + " units. ";
    if (ctx.link_failed) {
        html << "<span class=\"bad\">The link failed (status 1).</span>";
    } else {
        html << "The link succeeded.";
    }
    html << " Hover over a block for its module, section, start, end and size.</p>\n";
    findings_list(html, ctx);
    for (int bank = 0; bank < banks; ++bank) {
        html << "<h2>Bank " + std::to_string(bank) + ": " + hex_address(int64_t(bank) * BANK_SIZE, bank_mode) + "-" +
                hex_address(int64_t(bank + 1) * BANK_SIZE - 1, bank_mode) + "</h2>\n";
        draw_bank(html, ctx, layout, colours, bank, by_bank[std::size_t(bank)]);
    }
    module_table(html, ctx, modules, colours);
    region_table(html, rows, bank_mode);
    image_table(html, ctx, bank_mode);
    html << "</body>\n</html>\n";
    html.flush();
}

}  // namespace orv
