#include "library/library_reader.h"


#include "driver/diagnostics.h"
#include "driver/link_context.h"
#include "library/library_tags.h"
#include "pass1/object_reader.h"
#include "pass1/reader_trace.h"

namespace orv {
namespace {

// Bytes of the module trailer that no reader interprets.
constexpr int TRAILER_RESERVED = 13;

// The only library format this linker reads.
constexpr std::string_view LIBRARY_FORMAT = "VER.A";

int read_tag(ImageCursor& file) { return file.get(); }

// A forward skip over a module entry. The host would let a seek run past the
// end of the file, but the skips of a library always land on the next module
// entry or at the end of the file: a target beyond the end is a seek the
// library cannot satisfy.
void skip_forward(LinkContext& ctx, ImageCursor& file, uint64_t distance) {
    long here = file.tell();
    long size = ctx.library.file_size;
    if (here < 0 || here > size || distance > uint64_t(size - here) || !file.skip(long(distance))) {
        error_exit(ERR_SEEK, ctx.reader.current_file);
    }
}

// A name defined twice in the index of a module that is not taken in would
// leave the link failed without a line naming it. It is reported like any
// other multiple definition: the entry, with both definers, goes into the
// global table.
void enter_index_duplicates(LinkContext& ctx, std::string_view module_name) {
    const SymbolTable& index = ctx.library.index_root;
    for (std::size_t i = 0; i < index.size(); ++i) {
        const SymbolEntry& entry = index.entry(i);
        if (entry.state != SYM_MULTIPLE) continue;
        SymbolEntry kept = entry;
        kept.name = ctx.str_save(entry.name);
        kept.member_name = ctx.str_save(module_name);
        ctx.symbols.enter_symbol(kept);
    }
}

void mark_loaded(LibraryState& library, int library_index, int module_no) {
    if (library.loaded.size() <= std::size_t(library_index)) library.loaded.resize(std::size_t(library_index) + 1);
    std::vector<uint8_t>& row = library.loaded[std::size_t(library_index)];
    if (row.size() <= std::size_t(module_no)) row.resize(std::size_t(module_no) + 1, 0);
    row[std::size_t(module_no)] = 1;
}

// Takes the module whose index has just been read into the link: its names,
// units and external references, and the record pass 2 finds it by.
void take_module(LinkContext& ctx, ImageCursor& file, const char* name, const SymbolEntry& needed) {
    LibraryState& library = ctx.library;
    ReaderState& reader = ctx.reader;
    ctx.pass1.member_added = 1;
    reader.current_member = name;
    // Entering the index defines the needed name; keep who referred to it.
    const char* needed_name = needed.name;
    const char* needed_by_file = needed.file_name;
    const char* needed_by_member = needed.member_name;

    enter_index(ctx);
    // The global entries now point into the index's names.
    library.kept_names.push_back(std::move(library.index_names));
    library.release_index();

    if (reader.next_tag == LIB_TAG_UNITS) red_r_unit(ctx, file, LIB_TAG_UNITS);
    if (reader.next_tag == LIB_TAG_EXTERNALS) red_r_ext(ctx, file);
    if (reader.next_tag != LIB_TAG_TRAILER) internal_error("20");

    uint32_t image_offset = red_number(file, 4);
    red_number(file, 4);
    uint32_t reloc_offset = red_number(file, 4);
    red_number(file, 4);
    uint32_t code_offset = red_number(file, 4);
    // A truncated trailer is caught by its closing tag.
    for (int i = 0; i < TRAILER_RESERVED; ++i) file.get();
    if (read_tag(file) != LIB_TAG_END) internal_error("20.1");
    // The index's labels named units of this module; now that the whole
    // entry has been read, as at the end of a relocatable file's first part,
    // those units must exist.
    check_label_units(ctx);

    library.lib_modules.push_back(LibModule{name, ctx.pass1.library_index, library.module_no,
                                            int32_t(image_offset), int32_t(reloc_offset),
                                            int32_t(code_offset), reader.unit_base,
                                            ctx.sections.unit_count - 1, needed_name, needed_by_file,
                                            needed_by_member});
    mark_loaded(library, ctx.pass1.library_index, library.module_no);
}

}  // namespace

uint32_t red_l_head(LinkContext& ctx, ImageCursor& file) {
    reader_trace(ctx, "now red_l_head()\n");
    char text[NAME_LIMIT + 1];
    if (read_tag(file) != LIB_TAG_TITLE) internal_error("12");
    red_string(file, text);
    if (read_tag(file) != LIB_TAG_FORMAT) error_exit(ERR_FORMAT_MISMATCH, ctx.reader.current_file);
    int length = red_string(file, text);
    if (std::string_view(text, std::size_t(length)) != LIBRARY_FORMAT) {
        error_exit(ERR_FORMAT_MISMATCH, ctx.reader.current_file);
    }
    if (read_tag(file) != LIB_TAG_TEXT) internal_error("13");
    red_string(file, text);
    if (read_tag(file) != LIB_TAG_MODULE_COUNT) internal_error("14");
    uint32_t module_count = red_number(file, 4);
    if (read_tag(file) != LIB_TAG_NUMBER) internal_error("15");
    red_number(file, 4);
    if (read_tag(file) != LIB_TAG_END) internal_error("16");
    return module_count;
}

void red_l_tbl(LinkContext& ctx, ImageCursor& file) {
    reader_trace(ctx, "now red_l_tbl()\n");
    LibraryState& library = ctx.library;
    char name[NAME_LIMIT + 1];
    if (read_tag(file) != LIB_TAG_MODULE_NAME) internal_error("17");
    int length = red_string(file, name);
    if (read_tag(file) != LIB_TAG_SKIPS) internal_error("18");
    uint32_t skip_all = red_number(file, 4);
    uint32_t skip_rest = red_number(file, 4);

    // Taken in by an earlier cycle: never read twice.
    if (module_loaded(ctx)) {
        skip_forward(ctx, file, skip_all);
        return;
    }

    if (read_tag(file) != LIB_TAG_MODULE_NUMBER) internal_error("19");
    red_number(file, 4);
    ctx.reader.max_label_unit = -1;
    red_l_pub(ctx, file);

    const SymbolEntry* needed = module_needed(ctx);
    if (needed == nullptr) {
        if (library.index_root.multiple_defined()) {
            enter_index_duplicates(ctx, std::string_view(name, std::size_t(length)));
        }
        library.release_index();
        // The tag after the index records has been read already; skip_rest
        // counts from it, and a skip_rest of 0 points backwards.
        if (skip_rest == 0) error_exit(ERR_SEEK, ctx.reader.current_file);
        skip_forward(ctx, file, uint64_t(skip_rest) - 1);
        return;
    }
    take_module(ctx, file, ctx.str_save(std::string_view(name, std::size_t(length))), *needed);
}

bool module_loaded(const LinkContext& ctx) {
    const LibraryState& library = ctx.library;
    const std::size_t index = std::size_t(ctx.pass1.library_index);
    const std::size_t module_no = std::size_t(library.module_no);
    return index < library.loaded.size() && module_no < library.loaded[index].size() &&
           library.loaded[index][module_no] != 0;
}

void read_library(LinkContext& ctx, ImageCursor& file) {
    LibraryState& library = ctx.library;
    // The library's size bounds every skip and every index block read from it.
    library.file_size = long(file.size());
    uint32_t module_count = red_l_head(ctx, file);
    // A count larger than the entries present ends at the first missing
    // entry's tag; every entry moves the reader forward.
    for (uint32_t module_no = 0; module_no < module_count; ++module_no) {
        library.module_no = int(module_no);
        ctx.reader.unit_base = ctx.sections.unit_count;
        red_l_tbl(ctx, file);
    }
}

}  // namespace orv
