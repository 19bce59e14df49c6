#include <cstdint>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
#include "pass1/object_reader.h"
#include "pass2/range_explain.h"
#include "pass2/relocation.h"

namespace orv {
namespace {

// Shift right that copies the sign bit in, done on the bits so that it does
// not depend on how the compiler shifts negative numbers.
uint32_t shift_right_arithmetic(uint32_t value, uint32_t count) {
    if ((value & 0x80000000u) == 0) return value >> count;
    return ~(~value >> count);
}

int32_t apply_prefix(int prefix, int32_t value) {
    uint32_t bits = uint32_t(value);
    switch (prefix) {
    case PREFIX_NEGATE:
        return int32_t(0u - bits);
    case PREFIX_NOT:
    case PREFIX_COMPLEMENT:
        return int32_t(~bits);
    case PREFIX_BANK:
        return int32_t((bits >> 16) & 0xFF);
    case PREFIX_LOW16:
        return int32_t(bits & 0xFFFF);
    case PREFIX_HIGH:
        return int32_t((bits >> 8) & 0xFF);
    case PREFIX_LOW:
        return int32_t(bits & 0xFF);
    default:  // none, '+' and the section-size marker leave the value as it is
        return value;
    }
}

bool wants_bit_symbol(int rel_type) { return rel_type == REL_BIT_NUMBER || rel_type == REL_BIT_ADDRESS; }

// A name used where its kind does not fit the field is listed and the link
// goes on; it alone does not fail the run.
void report_type_mismatch(LinkContext& ctx, const char* name) {
    report_listed(ctx.console, ERR_LABEL_TYPE, name);
    ++ctx.warnings_listed;
    const FindingPlace place = field_place(ctx);
    place_finding(ctx.console, place);
    if (explaining(ctx)) {
        print_detail(ctx.console, "module " + place.module + ", section " + place.section + ", address " +
                                      hex_text(place.address, 4) + ": the field wants " +
                                      (wants_bit_symbol(ctx.pass2.rel_type) ? "a bit symbol" : "an address or value"));
    }
}

// Up to this many, a module's external names are searched side by side; a
// module with more is rare, and the global table serves it.
constexpr uint32_t SCANNED_EXTERNALS = 32;

// The global entry of a name. A name the module lists among its external
// references was entered by pass 1, which kept the entry with the name:
// comparing a few hashes that lie together spares a probe of the whole
// table, which costs several cache misses in a large link.
const SymbolEntry* find_name(const LinkContext& ctx, std::string_view name) {
    const uint64_t hash = name_hash(name);
    const ExternalRange& externals = ctx.pass2.externals;
    if (externals.count <= SCANNED_EXTERNALS) {
        const uint32_t kept = SymbolTable::kept_hash(hash);
        for (uint32_t i = 0; i < externals.count; ++i) {
            const ExternalName& external = externals.names[i];
            if (external.hash == kept && std::string_view(external.name, external.length) == name) {
                return external.entry;
            }
        }
    }
    return ctx.symbols.find_symbol(name, hash);
}

// `name` is followed by its zero byte, so it is printed as it is.
int32_t name_value(LinkContext& ctx, std::string_view name_read) {
    const char* name = name_read.data();
    const SymbolEntry* entry = find_name(ctx, name_read);
    if (entry == nullptr) internal_error("31");
    note_expression_name(ctx, *entry);
    bool is_bit = entry->kind == SYM_BIT;
    switch (ctx.pass2.rel_type) {
    case REL_ZERO_PAGE:
    case REL_ADDRESS:
    case REL_SPECIAL_PAGE:
    case REL_BIT_VALUE:
    case REL_VALUE:
        if (is_bit) report_type_mismatch(ctx, name);
        return entry->value;
    case REL_BIT_NUMBER:
        if (!is_bit) report_type_mismatch(ctx, name);
        return entry->bit_no;
    case REL_BIT_ADDRESS:
        if (!is_bit) report_type_mismatch(ctx, name);
        return entry->value;
    default:
        return entry->value;
    }
}

int32_t section_size_value(LinkContext& ctx, ImageCursor& stream) {
    char name[NAME_LIMIT + 1];
    int length = red_string(stream, name);
    char letter[2];
    std::string_view section_name =
        normalise_section_name(std::string_view(name, std::size_t(length)), letter);
    const Section* section = ctx.sections.find_section(section_name);
    if (section == nullptr && ctx.pass2.module_alone) return 0;
    if (section == nullptr) internal_error("33");
    return section->length;
}

}  // namespace

int32_t module_unit(LinkContext& ctx, uint32_t local_number, const char* point) {
    int64_t global = int64_t(ctx.reader.unit_base) + int64_t(local_number);
    const std::vector<Unit*>& table = ctx.sections.unit_table;
    if (global > ctx.pass2.last_unit || global >= int64_t(table.size()) ||
        table[std::size_t(global)] == nullptr) {
        internal_error(point);
    }
    return int32_t(global);
}

int32_t apply_operator(int op, int32_t left, int32_t right) {
    uint32_t a = uint32_t(left);
    uint32_t b = uint32_t(right);
    switch (op) {
    case OP_ADD:
        return int32_t(a + b);
    case OP_SUBTRACT:
        return int32_t(a - b);
    case OP_MULTIPLY:
        return int32_t(a * b);
    case OP_DIVIDE:
        // A quotient the 32 bits cannot hold, or none at all, would put a
        // made-up value into the image.
        if (right == 0) internal_error("27.1");
        if (left == INT32_MIN && right == -1) internal_error("27.2");
        return left / right;
    case OP_REMAINDER:
        if (right == 0) internal_error("27.1");
        // Any value leaves remainder 0 by -1; computing it could trap.
        if (right == -1) return 0;
        return left % right;
    case OP_AND:
        return int32_t(a & b);
    case OP_OR:
        return int32_t(a | b);
    case OP_XOR:
        return int32_t(a ^ b);
    case OP_SHIFT_LEFT:
        return int32_t(a << (b & 31));
    case OP_SHIFT_RIGHT:
        return int32_t(shift_right_arithmetic(a, b & 31));
    default:
        internal_error("27");
    }
}

int32_t red_term(LinkContext& ctx, ImageCursor& stream) {
    int prefix = 0;
    int c = stream.get();
    if (is_prefix(c)) {
        prefix = c;
        c = stream.get();
    }
    int32_t value;
    switch (c) {
    case OPERAND_UNIT: {
        int32_t unit_no = module_unit(ctx, red_number(stream, 2), "25.5");
        uint32_t offset = red_number(stream, 3);
        const Unit* unit = ctx.sections.unit_table[std::size_t(unit_no)];
        value = int32_t(unit->abs == 0 ? offset + uint32_t(unit->address) : offset);
        note_expression_place(ctx, unit_no, offset, value);
        break;
    }
    case OPERAND_NAME: {
        char buffer[NAME_LIMIT + 1];
        value = name_value(ctx, red_name(stream, buffer));
        break;
    }
    case OPERAND_CONSTANT:
        value = int32_t(red_number(stream, 4));
        break;
    case OPERAND_SECTION_SIZE:
        if (prefix != PREFIX_SIZE) internal_error("32");
        value = section_size_value(ctx, stream);
        break;
    default:
        internal_error("34");
    }
    return apply_prefix(prefix, value);
}

int32_t evaluate_expression(LinkContext& ctx, ImageCursor& reloc_stream) {
    // The leading term is read in full, lookups and kind checks included;
    // only its value is dropped.
    red_term(ctx, reloc_stream);
    begin_expression_operands(ctx);
    int32_t value = red_term(ctx, reloc_stream);
    for (;;) {
        int op = reloc_stream.get();
        if (op == EXPRESSION_END) return value;
        // An unknown operator is caught before its term is read.
        if (!is_operator(op)) internal_error("27");
        value = apply_operator(op, value, red_term(ctx, reloc_stream));
    }
}

}  // namespace orv
