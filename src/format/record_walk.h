#pragma once
#include <cstdint>
#include <string_view>

#include "format/image_cursor.h"
#include "format/record_tags.h"
#include "format/relocation_codes.h"

namespace orv {

// Small steps over the records of an object image, shared by the linker's
// readers and the tools. None of them reports a fault itself: each says how
// far it came, and its caller turns that into its own message.

// Passes over a zero-terminated name; false when the image ends first.
inline bool skip_name(ImageCursor& in) {
    std::string_view ignored;
    return in.name(ignored);
}

// Where an entry list stands after one step: an entry was read, the list's
// closing entry was read, or the image ended inside the entry.
enum class ListStep { ENTRY, LIST_END, IMAGE_ENDED };

// One entry of a list of a value and a name (labels and symbols, `width`
// being the value's bytes); {0, ""} closes the list.
inline ListStep read_named_value(ImageCursor& in, int width, uint32_t& value, std::string_view& name) {
    if (!in.number(width, value) || !in.name(name)) return ListStep::IMAGE_ENDED;
    return value == 0 && name.empty() ? ListStep::LIST_END : ListStep::ENTRY;
}

// One entry of a bit-symbol list: a 2-byte mask, a 3-byte address and a
// name; {0, 0, ""} closes the list.
inline ListStep read_bit_entry(ImageCursor& in, uint32_t& mask, uint32_t& address, std::string_view& name) {
    if (!in.number(2, mask) || !in.number(3, address) || !in.name(name)) return ListStep::IMAGE_ENDED;
    return mask == 0 && address == 0 && name.empty() ? ListStep::LIST_END : ListStep::ENTRY;
}

// One name of a name list (externals, requested files); the empty name
// closes the list.
inline ListStep read_listed_name(ImageCursor& in, std::string_view& name) {
    if (!in.name(name)) return ListStep::IMAGE_ENDED;
    return name.empty() ? ListStep::LIST_END : ListStep::ENTRY;
}

// The bit number 0 to 7 that a bit symbol's mask stands for: the mask has
// exactly one of its low eight bits set. -1 for any other mask.
constexpr int bit_number_of_mask(uint32_t mask) {
    for (int bit = 0; bit < 8; ++bit) {
        if (mask == (1u << bit)) return bit;
    }
    return -1;
}

// How a walk over relocation bytes stopped.
enum class WalkStop {
    DONE,
    RECORD_ENDED,      // the image ended inside an entry's address, type or size
    EXPRESSION_ENDED,  // the image ended inside an expression
    UNKNOWN_OPERAND,
    UNKNOWN_OPERATOR,
};

struct WalkResult {
    WalkStop stop = WalkStop::DONE;
    long at = 0;   // offset of the unknown code
    int code = 0;  // the unknown code
};

// Passes over the value that follows operand `code`; false when the image
// ends inside it. `code` must be a known operand.
inline bool walk_operand_value(ImageCursor& in, int code) {
    uint32_t ignored = 0;
    if (is_name_operand(code)) return skip_name(in);
    if (code == OPERAND_UNIT) return in.number(2, ignored) && in.number(3, ignored);
    return in.number(4, ignored);
}

// One term: an optional prefix and an operand with its value.
inline WalkResult walk_term(ImageCursor& in) {
    long at = in.tell();
    int code = in.get();
    if (is_prefix(code)) {
        at = in.tell();
        code = in.get();
    }
    if (code == ImageCursor::END) return {WalkStop::EXPRESSION_ENDED};
    if (!is_operand(code)) return {WalkStop::UNKNOWN_OPERAND, at, code};
    if (!walk_operand_value(in, code)) return {WalkStop::EXPRESSION_ENDED};
    return {};
}

// An expression: the leading term, the first term, then operator and term
// pairs up to and including the end byte.
inline WalkResult walk_expression(ImageCursor& in) {
    for (int k = 0; k < 2; ++k) {
        WalkResult term = walk_term(in);
        if (term.stop != WalkStop::DONE) return term;
    }
    for (;;) {
        long at = in.tell();
        int op = in.get();
        if (op == EXPRESSION_END) return {};
        if (op == ImageCursor::END) return {WalkStop::EXPRESSION_ENDED};
        if (!is_operator(op)) return {WalkStop::UNKNOWN_OPERATOR, at, op};
        WalkResult term = walk_term(in);
        if (term.stop != WalkStop::DONE) return term;
    }
}

// A relocation record after its tag: the unit number, then entries of
// address, type, field size and expression up to the entry {0, 0}.
inline WalkResult walk_relocation_record(ImageCursor& in) {
    uint32_t unit = 0;
    if (!in.number(2, unit)) return {WalkStop::RECORD_ENDED};
    for (;;) {
        uint32_t address = 0, type = 0, size = 0;
        if (!in.number(3, address) || !in.number(1, type)) return {WalkStop::RECORD_ENDED};
        if (address == 0 && type == 0) return {};
        if (!in.number(1, size)) return {WalkStop::RECORD_ENDED};
        WalkResult expression = walk_expression(in);
        if (expression.stop != WalkStop::DONE) return expression;
    }
}

}  // namespace orv
