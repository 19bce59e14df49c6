#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {

struct LinkContext;
struct Section;
struct SymbolEntry;

// With --explain, the numbered messages are followed by lines that say what
// was wrong and where. The phase that finds a fault adds its lines, and only
// with the option, so that the default output stays exactly as it is. This
// is what they share.

// The place in an input file at which a fatal error was found: what the
// reader expected there, and at which offset (or that the file ended there).
struct InputFault {
    std::string file;
    long offset = 0;
    bool at_end = false;     // the file ends at `offset`
    bool item_before = false;  // the faulty item ends just before `offset`
    std::string expected;
};

// Where a reader stood in an input when a fatal error unwound past it: the
// offset of its next byte and whether its last read met the end of the file.
struct InputPosition {
    long offset = 0;
    bool ended = false;
};

// The input being read when a fatal error came, with pass 2's second handle
// on the same module when there is one.
struct StoppedInput {
    std::string file;
    InputPosition main;
    bool has_relocation = false;
    InputPosition relocation;
};

// A global name or a place in a unit (a unit operand) that a relocation
// expression uses.
struct ExpressionOperand {
    const SymbolEntry* entry;  // null for a place in a unit
    int32_t unit_no;           // the place's unit
    uint32_t offset;           // the place's offset in its unit
    int32_t value;             // the place's address
};

struct ExplainState {
    // The names and places of the relocation expression being evaluated,
    // from its first term on (the leading term's value is not used).
    std::vector<ExpressionOperand> expression_operands;

    // The cause of the range findings printed last, when one section placed
    // outside a page makes every use of its names fail: the summary line
    // goes out once, after the run of findings with that cause.
    const Section* pending_cause = nullptr;
    int pending_number = 0;

    // Where the reading stopped when the run's fatal error unwound, and what
    // the reader expected there (both with --explain only).
    std::optional<StoppedInput> stopped_input;
    std::optional<InputFault> input_fault;
};

// Whether --explain was given.
bool explaining(const LinkContext& ctx);

// Whether findings name their source lines in this run: with --explain,
// --diagnostics-format=gnu or --sarif.
bool findings_name_lines(const LinkContext& ctx);

// How many times a name stands in the relocatable-files field.
int times_listed(const LinkContext& ctx, const char* file);

// A module as messages name it: FILE, or LIBRARY(MODULE) for a module taken
// from a library.
std::string module_name(const char* file, const char* member);

}  // namespace orv
