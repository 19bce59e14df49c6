#include <cstring>
#include <string_view>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "format/record_walk.h"
#include "library/library_reader.h"
#include "pass1/cross_references.h"
#include "pass1/object_reader.h"
#include "pass1/reader_trace.h"
#include "pass1/sections.h"

namespace orv {
namespace {

// Keeps one external reference of the module being read (with --cref only).
void record_reference(LinkContext& ctx, const char* name) {
    if (!ctx.options.cref) return;
    ctx.cross_references.references.push_back(Reference{name, ctx.reader.current_file, ctx.reader.current_member});
}

// Addresses from 0x10000 up lie in the extend area, which only -BANK opens.
constexpr uint32_t EXTEND_AREA_START = 0x10000;

// Bit number 0 to 7 of a mask with exactly one of its low eight bits set.
int32_t bit_number_of(uint32_t mask) {
    int bit = bit_number_of_mask(mask);
    if (bit < 0) internal_error("7.5");
    return bit;
}

// A definition goes to the global table, or, while a library module's index
// is being read, to that index. Either keeps the name in the image when the
// link keeps the image, else a pooled copy.
void enter_definition(LinkContext& ctx, const ImageCursor& file, SymbolEntry& entry, std::string_view name,
                      const char* buffer) {
    const uint64_t hash = name_hash(name);
    if (ctx.library.index_mode) {
        index_name_check(ctx, name.size());
        entry.name = lasting_name(ctx, file, name, buffer);
        ctx.library.index.enter(entry, name.size(), hash);
    } else {
        entry.name = lasting_name(ctx, file, name, buffer);
        ctx.symbols.enter_symbol(entry, name, hash);
    }
}

SymbolEntry definition_of_kind(const LinkContext& ctx, SymKind kind) {
    SymbolEntry entry;
    entry.state = SYM_DEFINED;
    entry.kind = kind;
    entry.file_name = ctx.reader.current_file;
    entry.member_name = ctx.reader.current_member;
    return entry;
}

}  // namespace

void red_r_unit(LinkContext& ctx, ImageCursor& file, int tag) {
    reader_trace(ctx, "now red_r_unit()\n");
    ReaderState& reader = ctx.reader;
    char buffer[NAME_LIMIT + 1];
    // Every run of unit entries numbers its entries from 0; the module's
    // units are still numbered on from the units of earlier runs.
    for (uint32_t k = 0;; ++k) {
        if (red_number(file, 2) != k) internal_error("7");
        const std::string_view name = red_name(file, buffer);
        char upper[2];
        Unit* unit = ctx.sections.add_unit(ctx.pools, normalise_section_name(name, upper));
        unit->ram = uint8_t(red_number(file, 1));
        unit->abs = uint8_t(red_number(file, 1));
        uint32_t address = red_number(file, 3);
        unit->address = int32_t(address);
        unit->size = int32_t(red_number(file, 4));
        unit->file_name = reader.current_file;
        unit->source_name = reader.source_name;
        unit->member_name = reader.current_member;
        unit->next = nullptr;
        if (address >= EXTEND_AREA_START && !ctx.options.bank_mode) error_exit(ERR_EXTEND_AREA);

        int next = file.get();
        if (next != tag) {
            reader.next_tag = next;
            return;
        }
    }
}

void red_r_pub(LinkContext& ctx, ImageCursor& file, int tag) {
    reader_trace(ctx, "now red_r_pub()\n");
    ReaderState& reader = ctx.reader;
    SymbolEntry entry = definition_of_kind(ctx, SYM_LABEL);
    char buffer[NAME_LIMIT + 1];
    for (;;) {
        uint32_t local_unit = red_number(file, 2);
        entry.unit_no = int32_t(uint32_t(reader.unit_base) + local_unit);
        for (;;) {
            uint32_t value = red_number(file, 3);
            const std::string_view name = red_name(file, buffer);
            if (value == 0 && name.empty()) break;
            entry.value = int32_t(value);
            // Remembered so that a label naming a unit its module does not
            // have is caught once the module's units are known.
            if (int32_t(local_unit) > reader.max_label_unit) reader.max_label_unit = int32_t(local_unit);
            enter_definition(ctx, file, entry, name, buffer);
        }
        int next = file.get();
        if (next != tag) {
            reader.next_tag = next;
            return;
        }
    }
}

void red_r_sym(LinkContext& ctx, ImageCursor& file) {
    reader_trace(ctx, "now red_r_sym()\n");
    SymbolEntry entry = definition_of_kind(ctx, SYM_SYMBOL);
    char buffer[NAME_LIMIT + 1];
    for (;;) {
        uint32_t value = red_number(file, 4);
        const std::string_view name = red_name(file, buffer);
        if (value == 0 && name.empty()) break;
        entry.value = int32_t(value);
        enter_definition(ctx, file, entry, name, buffer);
    }
    ctx.reader.next_tag = file.get();
}

void red_r_bit(LinkContext& ctx, ImageCursor& file) {
    // The bit-symbol reader shares the label reader's trace line.
    reader_trace(ctx, "now red_r_pub()\n");
    SymbolEntry entry = definition_of_kind(ctx, SYM_BIT);
    char buffer[NAME_LIMIT + 1];
    for (;;) {
        uint32_t mask = red_number(file, 2);
        uint32_t address = red_number(file, 3);
        const std::string_view name = red_name(file, buffer);
        if (address == 0 && mask == 0 && name.empty()) break;
        entry.bit_no = uint8_t(bit_number_of(mask));
        entry.value = int32_t(address);
        enter_definition(ctx, file, entry, name, buffer);
    }
    ctx.reader.next_tag = file.get();
}

void red_r_ext(LinkContext& ctx, ImageCursor& file) {
    reader_trace(ctx, "now red_r_ext()\n");
    SymbolEntry entry;
    entry.state = SYM_UNDEFINED;
    entry.file_name = ctx.reader.current_file;
    entry.member_name = ctx.reader.current_member;
    char buffer[NAME_LIMIT + 1];
    // References always go to the global table, also while a library
    // module's index is being built.
    for (;;) {
        const std::string_view name = red_name(file, buffer);
        if (name.empty()) break;
        entry.name = lasting_name(ctx, file, name, buffer);
        const uint64_t hash = name_hash(name);
        SymbolEntry* global = ctx.symbols.enter_symbol(entry, name, hash);
        ctx.pass1.module_externals.push_back(
            ExternalName{entry.name, uint32_t(name.size()), SymbolTable::kept_hash(hash), global});
        record_reference(ctx, entry.name);
    }
    ctx.reader.next_tag = file.get();
}

void begin_module_externals(LinkContext& ctx) { ctx.pass1.module_externals.clear(); }

ExternalRange keep_module_externals(LinkContext& ctx) {
    std::vector<ExternalName>& names = ctx.pass1.module_externals;
    ExternalRange kept;
    if (!names.empty()) {
        const std::size_t bytes = names.size() * sizeof(ExternalName);
        void* place = ctx.pools.mem_pool.allocate(bytes, alignof(ExternalName));
        kept.names = static_cast<const ExternalName*>(std::memcpy(place, names.data(), bytes));
        kept.count = uint32_t(names.size());
    }
    names.clear();
    return kept;
}

void check_label_units(LinkContext& ctx) {
    const ReaderState& reader = ctx.reader;
    int64_t own_units = int64_t(ctx.sections.unit_count) - int64_t(reader.unit_base);
    if (reader.max_label_unit >= own_units) internal_error("7.1");
}

}  // namespace orv
