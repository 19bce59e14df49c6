#pragma once
#include <cstdint>

namespace orv {

struct LinkContext;
struct SymbolEntry;

// What --explain adds to the range findings of pass 2 (errors 17, 19, 25,
// 26 and 29). Nothing happens without the option.

// The expression's names and places in units are collected from its first
// term on; the leading term's value is not used.
void begin_expression_operands(LinkContext& ctx);
void note_expression_name(LinkContext& ctx, const SymbolEntry& entry);
void note_expression_place(LinkContext& ctx, int32_t unit_no, uint32_t offset, int32_t address);

// Called before the finding's message: when the finding has another cause
// than the run of findings before it, that run's summary line goes out.
void note_range_cause(LinkContext& ctx, int number);

// Called after the finding's message: the module, the names and places of
// the expression with their values, the value and the range its field allows;
// for a relative jump the target and the distance. `value` is the
// expression's value (for a relative jump, the target).
void explain_range_finding(LinkContext& ctx, int number, int32_t value);

// Ends the run of findings: the summary line of its cause, if it has one.
void end_range_findings(LinkContext& ctx);

}  // namespace orv
