#include "pass2/contents.h"

#include <cstdint>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "format/record_tags.h"
#include "format/record_walk.h"
#include "pass1/object_reader.h"
#include "pass2/hex_writer.h"
#include "pass2/relocation.h"

namespace orv {
namespace {

// Reads the next entry's address and type, with the record's unit number
// first when a record starts. Returns true for an entry; at a record's
// terminator it reads the following tag, moves to the next record or to
// the end of the relocation records, and returns false.
bool read_entry_head(LinkContext& ctx, ImageCursor& reloc_stream) {
    Pass2State& rel = ctx.pass2;
    if (rel.rel_need_unit) {
        rel.rel_unit = module_unit(ctx, red_number(reloc_stream, 2), "24.5");
        rel.rel_need_unit = 0;
    }
    rel.rel_address = int32_t(red_number(reloc_stream, 3));
    rel.rel_type = int(red_number(reloc_stream, 1));
    if (rel.rel_address != 0 || rel.rel_type != 0) return true;

    int tag = reloc_stream.get();
    if (tag == TAG_RELOCATION) {
        rel.rel_pending = 0;
        rel.rel_need_unit = 1;
        return false;
    }
    if (tag == TAG_CONTENTS || is_debug_or_end_tag(tag)) {
        rel.rel_ended = 1;
        rel.rel_pending = 0;
        rel.rel_need_unit = 1;
        return false;
    }
    internal_error("26.5");
}

// Every relocation entry of a module is patched while its unit's bytes go
// out. An entry still waiting when the contents are over was never applied
// (its address was passed or never came), so its field went into the image
// with the assembler's placeholder: the program would be corrupt.
void check_relocations_applied(LinkContext& ctx, ImageCursor& reloc_stream) {
    Pass2State& rel = ctx.pass2;
    if (rel.rel_pending) internal_error("26.3");
    while (!rel.rel_ended) {
        if (read_entry_head(ctx, reloc_stream)) internal_error("26.3");
    }
}

// Whether the pending entry is to be patched in the current unit's bytes.
bool fetch_for_current_unit(LinkContext& ctx, ImageCursor* reloc_stream) {
    return reloc_stream != nullptr && next_relocation(ctx, *reloc_stream) &&
           ctx.pass2.rel_unit == ctx.pass2.current_unit;
}

// How many bytes a block starting at `start` may hold before it leaves its
// unit: placement gave the unit `size` bytes from its address, and the next
// unit, or the end of the address range, may follow right after them.
uint32_t room_in_unit(const Unit& unit, int32_t start) {
    uint32_t unit_start = uint32_t(unit.address);
    uint32_t offset = uint32_t(start) - unit_start;
    if (uint32_t(start) < unit_start || offset > uint32_t(unit.size)) return 0;
    return uint32_t(unit.size) - offset;
}

// One data block: the bytes go out in address order, each relocated field
// patched as its address comes.
void process_block(LinkContext& ctx, ImageCursor& code_stream, ImageCursor* reloc_stream,
                   uint32_t length) {
    Pass2State& rel = ctx.pass2;
    int32_t start = int32_t(red_number(code_stream, 3));
    const Unit* unit = ctx.sections.unit_table[std::size_t(rel.current_unit)];
    // The bytes of a relocatable unit start at its placed address.
    if (unit->abs == 0) start = unit->address;
    const uint32_t room = room_in_unit(*unit, start);
    hex_start(ctx, start);
    bool patch_here = fetch_for_current_unit(ctx, reloc_stream);

    uint32_t data_bytes = length - BLOCK_ADDRESS_BYTES;
    uint32_t i = 0;
    while (i < data_bytes) {
        const bool patch = patch_here && ctx.output.hex.out_address == rel.rel_address;
        const uint32_t count = patch ? uint32_t(rel.rel_size) : 1u;
        // A field reaching past its block would take the next block's
        // length bytes as placeholders.
        if (patch && count > data_bytes - i) internal_error("26.2");
        // Bytes past the unit's size would land on the next unit, or wrap
        // round past the top of the address range, while the map still
        // shows the declared size.
        if (count > room - i) internal_error("26.4");
        if (patch) {
            patch_field(ctx, code_stream);
            rel.rel_pending = 0;
            patch_here = fetch_for_current_unit(ctx, reloc_stream);
        } else {
            hex_put_byte(ctx, int(red_number(code_stream, 1)));
        }
        i += count;
    }
    if (ctx.output.hex.record_count != 0) hex_flush(ctx);
}

}  // namespace

void process_contents(LinkContext& ctx, ImageCursor& code_stream, ImageCursor* reloc_stream) {
    Pass2State& rel = ctx.pass2;
    rel.rel_ended = 0;
    rel.rel_pending = 0;
    rel.rel_need_unit = 1;
    do {
        rel.current_unit = module_unit(ctx, red_number(code_stream, 2), "24.4");
        for (;;) {
            uint32_t length = red_number(code_stream, 4);
            if (length == 0) break;
            if (length < BLOCK_ADDRESS_BYTES) internal_error("26.1");
            process_block(ctx, code_stream, reloc_stream, length);
        }
        ctx.reader.next_tag = code_stream.get();
    } while (ctx.reader.next_tag == TAG_CONTENTS);
    if (reloc_stream != nullptr) check_relocations_applied(ctx, *reloc_stream);
}

int next_relocation(LinkContext& ctx, ImageCursor& reloc_stream) {
    Pass2State& rel = ctx.pass2;
    if (rel.rel_ended) return 0;
    if (rel.rel_pending) return 1;
    if (!read_entry_head(ctx, reloc_stream)) return 0;

    const Unit* unit = ctx.sections.unit_table[std::size_t(rel.rel_unit)];
    if (unit->abs == 0) rel.rel_address = int32_t(uint32_t(rel.rel_address) + uint32_t(unit->address));
    rel.rel_size = int(red_number(reloc_stream, 1)) + 1;
    // Evaluated and checked one entry ahead of the contents: a range error
    // names this entry's own unit and address.
    int32_t value = evaluate_expression(ctx, reloc_stream);
    rel.rel_value = check_relocation(ctx, value);
    rel.rel_pending = 1;
    return 1;
}

namespace {

// Passes over the value of a known operand. The image ending inside a
// number is point "9" as for any number, inside a name point "26".
void skip_operand(ImageCursor& stream, int code) {
    if (!walk_operand_value(stream, code)) internal_error(is_name_operand(code) ? "26" : "9");
}

}  // namespace

// Looser than evaluation past the leading term: operator and prefix bytes
// are passed over wherever they stand, and only an operand's value is
// stepped over whole. The leading term takes only the bank and low-word
// prefixes and no section size.
void skip_relocation_record(ImageCursor& stream) {
    red_number(stream, 2);
    for (;;) {
        uint32_t address = red_number(stream, 3);
        uint32_t type = red_number(stream, 1);
        if (address == 0 && type == 0) return;
        red_number(stream, 1);

        int c = stream.get();
        if (c == PREFIX_BANK || c == PREFIX_LOW16) c = stream.get();
        if (!is_operand(c) || c == OPERAND_SECTION_SIZE) internal_error("25");
        skip_operand(stream, c);

        for (;;) {
            int t = stream.get();
            if (t == EXPRESSION_END) break;
            if (is_operator(t) || is_prefix(t)) continue;
            if (!is_operand(t)) internal_error("26");
            skip_operand(stream, t);
        }
    }
}

}  // namespace orv
