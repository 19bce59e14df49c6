#include "pass2/finding_lines.h"

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "pass2/debug_tables.h"

namespace orv {

bool findings_name_lines(const LinkContext& ctx) {
    return ctx.options.explain || ctx.options.sarif_file != nullptr ||
           ctx.findings.format == DiagnosticsFormat::GNU;
}

ModuleFindingLines::ModuleFindingLines(LinkContext& ctx) : ctx_(ctx), active_(findings_name_lines(ctx)) {
    if (!active_) return;
    first_function_ = ctx.debug.functions.size();
    first_line_ = ctx.debug.lines.size();
    hold_findings(ctx.console);
}

void ModuleFindingLines::release() {
    if (!active_) return;
    FindingLog& log = ctx_.findings;
    const std::vector<SourceLine>& lines = ctx_.debug.lines;
    const std::vector<DebugFunction>& functions = ctx_.debug.functions;
    for (std::size_t i = log.held_from(); i < log.entries().size(); ++i) {
        Finding& finding = log.at(i);
        FindingPlace& place = finding.place;
        if (place.unit_no < 0 || !place.has_address) continue;
        const Unit* unit = ctx_.sections.unit_table[std::size_t(place.unit_no)];
        // The last entry of the unit's table at or before the byte.
        const SourceLine* found = nullptr;
        for (std::size_t k = first_line_; k < lines.size(); ++k) {
            const SourceLine& line = lines[k];
            if (line.unit_no != place.unit_no || unit_address(*unit, line.address) > place.address) continue;
            if (found == nullptr || unit_address(*unit, line.address) >= unit_address(*unit, found->address)) {
                found = &line;
            }
        }
        if (found == nullptr || found->file == nullptr) continue;
        place.source = found->file;
        place.line = found->line;
        for (std::size_t k = first_function_; k < functions.size(); ++k) {
            if (functions[k].number == found->function && functions[k].name != nullptr) place.function = functions[k].name;
        }
        if (!explaining(ctx_)) continue;
        std::string text = place.function.empty() ? "" : "in function " + place.function + ", ";
        text += "at " + place.source + ":" + std::to_string(place.line);
        const std::string shown = printable_name(text);
        finding.text += "             " + shown + "\n";
        finding.notes.push_back(shown);
    }
    release_findings(ctx_.console);
}

}  // namespace orv
