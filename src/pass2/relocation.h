#pragma once
#include <cstdint>

#include "base/findings.h"
#include "format/image_cursor.h"
#include "format/relocation_codes.h"

namespace orv {

struct LinkContext;

// The unit a module-local unit number names, as a global unit number.
// A number that names none of the module's units (unit_base to
// ctx.pass2.last_unit) is internal error 6 at `point`.
int32_t module_unit(LinkContext& ctx, uint32_t local_number, const char* point);

// Reads the current entry's expression up to and including its end byte
// and returns its value; operators apply strictly left to right.
int32_t evaluate_expression(LinkContext& ctx, ImageCursor& reloc_stream);

// Reads one term: an optional prefix and one operand.
int32_t red_term(LinkContext& ctx, ImageCursor& stream);

// Applies a binary operator byte to two values; wraps like 32-bit
// two's-complement arithmetic. An unknown operator is point "27".
int32_t apply_operator(int op, int32_t left, int32_t right);

// Checks the value against the current entry's type and size and returns
// the value to be stored; a value out of range is reported and the link
// goes on.
int32_t check_relocation(LinkContext& ctx, int32_t value);

// Reports a range error of the current entry and marks the link failed.
// `value` is the expression's value (for a relative jump, its target).
// The place of the current entry's field: its module, section and address.
FindingPlace field_place(const LinkContext& ctx);

void report_range_error(LinkContext& ctx, int number, int32_t value);

// Copies the current field's placeholder bytes to the image with the
// entry's value patched in, low byte first.
void patch_field(LinkContext& ctx, ImageCursor& code_stream);

}  // namespace orv
