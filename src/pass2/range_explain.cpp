#include "pass2/range_explain.h"

#include <string>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
#include "pass2/relocation.h"

namespace orv {
namespace {

constexpr int64_t ZERO_PAGE_LAST = 0xFF;
constexpr int64_t SPECIAL_PAGE_FIRST = 0xFF00;

// A value in hexadecimal, at least four digits, with a sign when negative.
std::string hex_value(int64_t value) {
    const uint64_t magnitude = value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value);
    return (value < 0 ? "-" : "") + hex_text(magnitude, 4);
}

struct Range {
    int64_t low;
    int64_t high;
};

// The range of values that the current entry's field accepts.
Range allowed_range(const LinkContext& ctx, int number) {
    const Pass2State& rel = ctx.pass2;
    const int64_t max_address = ctx.options.max_address;
    switch (number) {
    case ERR_RELATIVE_RANGE:
        return rel.rel_size == 1 ? Range{-128, 127} : Range{-32768, 32767};
    case ERR_ZERO_PAGE:
        return {0, ZERO_PAGE_LAST};
    case ERR_SPECIAL_PAGE:
        return {SPECIAL_PAGE_FIRST, max_address};
    case ERR_BIT_RANGE:
        return {0, 7};
    default:  // 17: an address, or a plain value of the field's size
        if (rel.rel_type != REL_VALUE) return {0, max_address};
        switch (rel.rel_size) {
        case 1: return {-128, 0xFF};
        case 2: return {-32768, 0xFFFF};
        default: return {-8388608, 0xFFFFFF};
        }
    }
}

std::string operand_text(const LinkContext& ctx, const ExpressionOperand& operand) {
    if (operand.entry == nullptr) {
        const Unit* unit = ctx.sections.unit_table[std::size_t(operand.unit_no)];
        return std::string(unit->section_name) + "+" + hex_value(operand.offset) + "=" + hex_value(operand.value);
    }
    const SymbolEntry& entry = *operand.entry;
    if (entry.kind == SYM_BIT) {
        return std::string(entry.name) + "=bit " + std::to_string(entry.bit_no) + " of " + hex_value(entry.value);
    }
    return std::string(entry.name) + "=" + hex_value(entry.value);
}

const char* page_name(int number) { return number == ERR_ZERO_PAGE ? "zero page" : "special page"; }

// The section whose placement makes a zero-page or special-page use fail:
// that of the first label or place of the expression that lies outside the
// page itself, when the section reaches outside the page too. Null when the
// finding has no such cause.
const Section* cause_of(const LinkContext& ctx, int number) {
    if (number != ERR_ZERO_PAGE && number != ERR_SPECIAL_PAGE) return nullptr;
    const Range page = allowed_range(ctx, number);
    const std::vector<Unit*>& table = ctx.sections.unit_table;
    for (const ExpressionOperand& operand : ctx.explain.expression_operands) {
        int32_t unit_no = operand.unit_no;
        int64_t address = operand.value;
        if (operand.entry != nullptr) {
            if (operand.entry->kind != SYM_LABEL) continue;
            unit_no = operand.entry->unit_no;
            address = operand.entry->value;
        }
        if (address >= page.low && address <= page.high) continue;
        if (unit_no < 0 || std::size_t(unit_no) >= table.size() || table[std::size_t(unit_no)] == nullptr) continue;
        const Section* section = ctx.sections.find_section(table[std::size_t(unit_no)]->section_name);
        if (section == nullptr) continue;
        const int64_t start = section->units->address;
        const int64_t last = start + (section->length > 0 ? section->length - 1 : 0);
        if (start < page.low || last > page.high) return section;
    }
    return nullptr;
}

}  // namespace

void begin_expression_operands(LinkContext& ctx) {
    if (explaining(ctx)) ctx.explain.expression_operands.clear();
}

void note_expression_name(LinkContext& ctx, const SymbolEntry& entry) {
    if (explaining(ctx)) ctx.explain.expression_operands.push_back({&entry, 0, 0, 0});
}

void note_expression_place(LinkContext& ctx, int32_t unit_no, uint32_t offset, int32_t address) {
    if (explaining(ctx)) ctx.explain.expression_operands.push_back({nullptr, unit_no, offset, address});
}

void note_range_cause(LinkContext& ctx, int number) {
    if (!explaining(ctx)) return;
    const Section* cause = cause_of(ctx, number);
    ExplainState& state = ctx.explain;
    if (cause == state.pending_cause && number == state.pending_number) return;
    end_range_findings(ctx);
    state.pending_cause = cause;
    state.pending_number = number;
}

void explain_range_finding(LinkContext& ctx, int number, int32_t value) {
    if (!explaining(ctx)) return;
    const Pass2State& rel = ctx.pass2;
    const Unit* unit = ctx.sections.unit_table[std::size_t(rel.rel_unit)];
    std::string names;
    std::string places;
    for (const ExpressionOperand& operand : ctx.explain.expression_operands) {
        (operand.entry != nullptr ? names : places) += " " + operand_text(ctx, operand);
    }
    std::string line = "module " + module_name(unit->file_name, unit->member_name);
    if (!names.empty()) line += ", names:" + names;
    if (!places.empty()) line += ", places:" + places;
    if (names.empty() && places.empty()) line += ", no names";
    print_detail(ctx.console, line);

    const Range range = allowed_range(ctx, number);
    if (number == ERR_RELATIVE_RANGE) {
        // The jump counts from the address that follows the field.
        const int64_t from = int64_t(rel.rel_address) + rel.rel_size;
        const int64_t distance = int64_t(value) - from;
        print_detail(ctx.console, "target " + hex_value(value) + ", distance " + std::to_string(distance) +
                                      " from " + hex_value(from) + ", allowed " + std::to_string(range.low) +
                                      " to " + std::to_string(range.high));
    } else if (number == ERR_BIT_RANGE) {
        print_detail(ctx.console, "bit number " + std::to_string(value) + ", allowed 0 to 7");
    } else {
        print_detail(ctx.console, "value " + hex_value(value) + ", allowed " + hex_value(range.low) + " to " +
                                      hex_value(range.high));
    }
}

void end_range_findings(LinkContext& ctx) {
    ExplainState& state = ctx.explain;
    const Section* cause = state.pending_cause;
    const int number = state.pending_number;
    state.pending_cause = nullptr;
    state.pending_number = 0;
    if (!explaining(ctx) || cause == nullptr) return;
    const Range page = allowed_range(ctx, number);
    const int64_t start = cause->units->address;
    const int64_t last = start + (cause->length > 0 ? cause->length - 1 : 0);
    print_detail(ctx.console, "the cause of the findings above: section " + std::string(cause->name) +
                                  " lies at " + hex_value(start) + " to " + hex_value(last) + ", outside the " +
                                  page_name(number) + " " + hex_value(page.low) + " to " + hex_value(page.high));
}

}  // namespace orv
