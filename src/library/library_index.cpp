#include <cstring>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "format/library_layout.h"
#include "format/library_tags.h"
#include "library/library_reader.h"
#include "pass1/object_reader.h"
#include "pass1/reader_trace.h"

namespace orv {
namespace {

// The counts and byte sums of an index block.
struct IndexBlock {
    uint64_t label_count, label_bytes;
    uint64_t symbol_count, symbol_bytes;
    uint64_t bit_count, bit_bytes;
};

// Every entry takes its fixed part and at least the zero byte of its name,
// and the entries are part of the rest of the file. A block that breaks
// this describes no library the reader could read, and must not size the
// name buffer.
bool index_block_possible(const LinkContext& ctx, long position, const IndexBlock& block) {
    if (block.label_bytes < (INDEX_LABEL_FIXED + 1) * block.label_count) return false;
    if (block.symbol_bytes < (INDEX_SYMBOL_FIXED + 1) * block.symbol_count) return false;
    if (block.bit_bytes < (INDEX_BIT_FIXED + 1) * block.bit_count) return false;
    if (position < 0 || position > ctx.library.file_size) return false;
    uint64_t rest = uint64_t(ctx.library.file_size - position);
    return block.label_bytes + block.symbol_bytes + block.bit_bytes <= rest;
}

}  // namespace

void red_l_pub(LinkContext& ctx, ImageCursor& file) {
    reader_trace(ctx, "now red_l_pub()\n");
    LibraryState& library = ctx.library;
    ReaderState& reader = ctx.reader;

    if (file.get() != LIB_TAG_INDEX_BLOCK) internal_error("21");
    IndexBlock block;
    block.label_count = red_number(file, 4);
    block.label_bytes = red_number(file, 4);
    block.symbol_count = red_number(file, 4);
    block.symbol_bytes = red_number(file, 4);
    block.bit_count = red_number(file, 4);
    block.bit_bytes = red_number(file, 4);
    red_number(file, 4);

    // A module without index entries is never needed; whatever follows is
    // passed over with the rest of its entry.
    uint64_t total = block.label_count + block.symbol_count + block.bit_count;
    library.index.reset(std::size_t(total));
    if (total == 0) {
        reader.next_tag = file.get();
        return;
    }

    if (!index_block_possible(ctx, file.tell(), block)) internal_error("21.1");
    std::size_t names_size = std::size_t((block.label_bytes - INDEX_LABEL_FIXED * block.label_count) +
                                         (block.symbol_bytes - INDEX_SYMBOL_FIXED * block.symbol_count) +
                                         (block.bit_bytes - INDEX_BIT_FIXED * block.bit_count));
    library.index_names_size = names_size;
    library.index_names_used = 0;
    library.index_mode = 1;

    reader.next_tag = file.get();
    for (;;) {
        switch (reader.next_tag) {
        case LIB_TAG_INDEX_LABELS:
            red_r_pub(ctx, file, LIB_TAG_INDEX_LABELS);
            break;
        case LIB_TAG_INDEX_SYMBOLS:
            red_r_sym(ctx, file);
            break;
        case LIB_TAG_INDEX_BITS:
            red_r_bit(ctx, file);
            break;
        case LIB_TAG_UNITS:
        case LIB_TAG_EXTERNALS:
        case LIB_TAG_TRAILER:
            library.index_mode = 0;
            return;
        default:
            internal_error("22");
        }
    }
}

void index_name_check(LinkContext& ctx, std::size_t length) {
    LibraryState& library = ctx.library;
    std::size_t room = library.index_names_size - library.index_names_used;
    if (length >= room) internal_error("23");
    library.index_names_used += length + 1;
}

// Looking each of the module's names up answers the same question as
// walking every undefined name of the link, at a cost that depends only on
// the size of the module's index.
// The index names are hashed once, as they are read; the global lookups
// reuse those hashes. Of several needed names the first in name order is
// the one reported as the reason.
const SymbolEntry* module_needed(LinkContext& ctx) {
    IndexTable& index = ctx.library.index;
    const SymbolEntry* first = nullptr;
    for (std::size_t i = 0; i < index.size(); ++i) {
        SymbolEntry* global = ctx.symbols.find_symbol(index[i].name(), index[i].hash);
        index[i].global = global;
        if (global == nullptr || global->state != SYM_UNDEFINED) continue;
        if (first == nullptr || std::strcmp(global->name, first->name) < 0) first = global;
    }
    return first;
}

// The index holds each name once, so entering one of its names cannot add
// another: every lookup module_needed made still holds.
void enter_index(LinkContext& ctx) {
    const IndexTable& index = ctx.library.index;
    for (std::size_t i = 0; i < index.size(); ++i) {
        SymbolEntry definition = index[i].definition;
        definition.member_name = ctx.reader.current_member;
        ctx.symbols.enter_found(index[i].global, definition, index[i].hash);
    }
}

}  // namespace orv
