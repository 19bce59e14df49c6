#include "pass2/relocation.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "pass1/object_reader.h"
#include "pass1/unit_place.h"
#include "pass2/hex_writer.h"
#include "pass2/range_explain.h"

namespace orv {
namespace {

bool in_range(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// A value that a zero-page or address field cannot hold is reported and
// the field receives 0.
int32_t zero_page_value(LinkContext& ctx, int32_t v) {
    if (in_range(v, 0, 0xFF)) return v;
    report_range_error(ctx, ERR_ZERO_PAGE, v);
    return 0;
}

int32_t address_value(LinkContext& ctx, int32_t v) {
    if (in_range(v, 0, ctx.options.max_address)) return v;
    report_range_error(ctx, ERR_VALUE_RANGE, v);
    return 0;
}

}  // namespace

int32_t check_relocation(LinkContext& ctx, int32_t value) {
    const Pass2State& rel = ctx.pass2;
    switch (rel.rel_type) {
    case REL_RELATIVE: {
        // The jump counts from the address that follows the field.
        int32_t v = int32_t(uint32_t(value) - (uint32_t(rel.rel_address) + uint32_t(rel.rel_size)));
        bool fits;
        if (rel.rel_size == 1) {
            fits = in_range(v, -128, 127);
        } else if (rel.rel_size == 2) {
            fits = in_range(v, -32768, 32767);
        } else {
            internal_error("28");
        }
        if (!fits) report_range_error(ctx, ERR_RELATIVE_RANGE, value);
        return v;
    }
    case REL_ZERO_PAGE:
        return zero_page_value(ctx, value);
    case REL_ADDRESS:
        return address_value(ctx, value);
    case REL_SPECIAL_PAGE:
        if (in_range(value, 0xFF00, ctx.options.max_address)) return value - 0xFF00;
        report_range_error(ctx, ERR_SPECIAL_PAGE, value);
        return 0;
    case REL_BIT_VALUE:
    case REL_BIT_NUMBER:
        if (in_range(value, 0, 7)) return value;
        report_range_error(ctx, ERR_BIT_RANGE, value);
        return 0;
    case REL_BIT_ADDRESS:
        if (rel.rel_size == 1) return zero_page_value(ctx, value);
        if (rel.rel_size == 2) return address_value(ctx, value);
        internal_error("27.5");
    case REL_VALUE: {
        bool fits;
        switch (rel.rel_size) {
        case 1: fits = in_range(value, -128, 0xFF); break;
        case 2: fits = in_range(value, -32768, 0xFFFF); break;
        case 3: fits = in_range(value, -8388608, 0xFFFFFF); break;
        case 4: fits = true; break;
        default: internal_error("29");
        }
        // A plain value out of range still goes in, cut to the field.
        if (!fits) report_range_error(ctx, ERR_VALUE_RANGE, value);
        return value;
    }
    default:
        internal_error("30");
    }
}

void report_range_error(LinkContext& ctx, int number, int32_t value) {
    ctx.link_failed = 1;
    const Pass2State& rel = ctx.pass2;
    const Unit* unit = ctx.sections.unit_table[std::size_t(rel.rel_unit)];
    uint32_t address = uint32_t(rel.rel_address);
    uint32_t offset = address - uint32_t(unit->address);
    note_range_cause(ctx, number);
    report_listed(ctx.console, number, unit->section_name, (unsigned long)address,
                  (unsigned long)offset);
    place_finding(ctx.console, field_place(ctx));
    explain_range_finding(ctx, number, value);
}

FindingPlace field_place(const LinkContext& ctx) {
    const Pass2State& rel = ctx.pass2;
    return unit_place(*ctx.sections.unit_table[std::size_t(rel.rel_unit)], uint32_t(rel.rel_address));
}

void patch_field(LinkContext& ctx, ImageCursor& code_stream) {
    const Pass2State& rel = ctx.pass2;
    bool bit_field = rel.rel_type == REL_BIT_VALUE || rel.rel_type == REL_BIT_NUMBER;
    uint32_t v = uint32_t(rel.rel_value);
    ++ctx.stats.relocations_applied;
    for (int i = 0; i < rel.rel_size; ++i) {
        uint32_t placeholder = red_number(code_stream, 1);
        // A bit number goes into bits 5 to 7 of the instruction byte; any
        // other field replaces its placeholder.
        uint32_t byte = bit_field ? (placeholder + (v << 5)) & 0xFF : v & 0xFF;
        hex_put_byte(ctx, int(byte));
        // Arithmetic shift: the sign fills the bytes above a short value.
        v = (v & 0x80000000u) ? ~(~v >> 8) : v >> 8;
    }
}

}  // namespace orv
