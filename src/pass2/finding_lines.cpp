#include "pass2/finding_lines.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "pass2/debug_tables.h"

namespace orv {
namespace {

// The function of a source line, among the functions from `first` on.
const char* function_of(const LinkContext& ctx, const SourceLine& line, std::size_t first = 0) {
    const std::vector<DebugFunction>& functions = ctx.debug.functions;
    const char* name = nullptr;
    for (std::size_t k = first; k < functions.size(); ++k) {
        if (functions[k].number == line.function && functions[k].name != nullptr) name = functions[k].name;
    }
    return name;
}

// Sets the finding's line; returns the --explain line that names it.
std::string take_line(Finding& finding, const SourceLine& line, const char* function) {
    FindingPlace& place = finding.place;
    place.source = line.file;
    place.line = line.line;
    if (function != nullptr) place.function = function;
    std::string text = place.function.empty() ? "" : "in function " + place.function + ", ";
    return text + "at " + place.source + ":" + std::to_string(place.line);
}

// Adds the --explain line to a finding not yet printed.
void add_held_note(Finding& finding, const std::string& text) {
    const std::string shown = printable_name(text);
    finding.text += "             " + shown + "\n";
    finding.notes.push_back(shown);
}

// Whether the finding is about a byte of a unit and names no line yet.
bool wants_line(const Finding& finding) {
    return finding.place.unit_no >= 0 && finding.place.has_address && finding.place.source.empty();
}

const SourceLine* line_of(const LinkContext& ctx, const SourceLineIndex& index, const FindingPlace& place) {
    const std::size_t no = std::size_t(place.unit_no);
    if (no >= ctx.sections.unit_table.size() || ctx.sections.unit_table[no] == nullptr) return nullptr;
    const SourceLine* line = index.at(place.unit_no, unit_offset(*ctx.sections.unit_table[no], place.address));
    return line != nullptr && line->file != nullptr ? line : nullptr;
}

}  // namespace

ModuleFindingLines::ModuleFindingLines(LinkContext& ctx) : ctx_(ctx), active_(findings_name_lines(ctx)) {
    if (!active_) return;
    first_function_ = ctx.debug.functions.size();
    first_line_ = ctx.debug.lines.size();
    first_finding_ = ctx.findings.entries().size();
    outer_hold_ = ctx.findings.holding();
    if (!outer_hold_) hold_findings(ctx.console);
}

void ModuleFindingLines::release() {
    if (!active_) return;
    FindingLog& log = ctx_.findings;
    const std::vector<SourceLine>& lines = ctx_.debug.lines;
    for (std::size_t i = first_finding_; i < log.entries().size(); ++i) {
        Finding& finding = log.at(i);
        if (!wants_line(finding)) continue;
        const FindingPlace& place = finding.place;
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
        const std::string text = take_line(finding, *found, function_of(ctx_, *found, first_function_));
        if (explaining(ctx_)) add_held_note(finding, text);
    }
    if (!outer_hold_) release_findings(ctx_.console);
}

void release_placement_findings(LinkContext& ctx) {
    FindingLog& log = ctx.findings;
    if (!log.holding()) return;
    const SourceLineIndex index(ctx.debug, ctx.sections);
    for (std::size_t i = log.held_from(); i < log.entries().size(); ++i) {
        Finding& finding = log.at(i);
        if (!wants_line(finding)) continue;
        const SourceLine* line = line_of(ctx, index, finding.place);
        if (line == nullptr) continue;
        const std::string text = take_line(finding, *line, function_of(ctx, *line));
        if (explaining(ctx)) add_held_note(finding, text);
    }
    release_findings(ctx.console);
}

void name_last_finding_line(LinkContext& ctx) {
    Finding* finding = ctx.findings.last();
    if (!findings_name_lines(ctx) || finding == nullptr || !wants_line(*finding)) return;
    const SourceLineIndex index(ctx.debug, ctx.sections);
    const SourceLine* line = line_of(ctx, index, finding->place);
    if (line == nullptr) return;
    const std::string text = take_line(*finding, *line, function_of(ctx, *line));
    if (explaining(ctx)) print_detail(ctx.console, text);
}

}  // namespace orv
