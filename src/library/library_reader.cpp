#include "library/library_reader.h"


#include "base/diagnostics.h"
#include "base/link_context.h"
#include "format/library_layout.h"
#include "format/library_tags.h"
#include "pass1/object_reader.h"
#include "pass1/reader_trace.h"

namespace orv {
namespace {

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
    const IndexTable& index = ctx.library.index;
    const char* member_name = nullptr;
    for (std::size_t i = 0; i < index.size(); ++i) {
        if (index[i].definition.state != SYM_MULTIPLE) continue;
        if (member_name == nullptr) member_name = ctx.str_save(module_name);
        SymbolEntry kept = index[i].definition;
        kept.member_name = member_name;
        ctx.symbols.enter_symbol(kept, index[i].name(), index[i].hash);
    }
}

LibraryWalk& walk_of(LibraryState& library, int library_index) {
    if (library.walks.size() <= std::size_t(library_index)) library.walks.resize(std::size_t(library_index) + 1);
    return library.walks[std::size_t(library_index)];
}

void mark_loaded(LibraryState& library, int library_index, int module_no) {
    if (library.loaded.size() <= std::size_t(library_index)) library.loaded.resize(std::size_t(library_index) + 1);
    std::vector<uint8_t>& row = library.loaded[std::size_t(library_index)];
    if (row.size() <= std::size_t(module_no)) row.resize(std::size_t(module_no) + 1, 0);
    row[std::size_t(module_no)] = 1;
}

// Keeps the index of an entry passed over, for later cycles. With -DEBUG
// every cycle reads every index, so that each prints its trace lines.
void remember_passed(LinkContext& ctx, const char* entry_key, long resume_offset, int next_tag) {
    if (ctx.options.opt_debug) return;
    LibraryState& library = ctx.library;
    const IndexTable& index = library.index;
    PassedIndex passed{library.passed_names.size(), index.size(), resume_offset, next_tag,
                       ctx.reader.max_label_unit};
    for (std::size_t i = 0; i < index.size(); ++i) {
        library.passed_names.push_back(index[i].name());
        library.passed_hashes.push_back(index[i].hash);
    }
    library.passed[entry_key] = passed;
}

// Passes over an entry whose index an earlier cycle kept, unless one of its
// names is now undefined: then the entry is read in full and taken in.
bool pass_again(LinkContext& ctx, ImageCursor& file, const char* entry_key) {
    LibraryState& library = ctx.library;
    if (library.passed.empty()) return false;
    auto found = library.passed.find(entry_key);
    if (found == library.passed.end()) return false;
    const PassedIndex& passed = found->second;
    for (std::size_t i = passed.first_name; i < passed.first_name + passed.name_count; ++i) {
        const SymbolEntry* global = ctx.symbols.find_symbol(library.passed_names[i], library.passed_hashes[i]);
        if (global != nullptr && global->state == SYM_UNDEFINED) return false;
    }
    ctx.reader.max_label_unit = passed.max_label_unit;
    ctx.reader.next_tag = passed.next_tag;
    file.seek(passed.resume_offset);
    return true;
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

    if (reader.next_tag == LIB_TAG_UNITS) red_r_unit(ctx, file, LIB_TAG_UNITS);
    begin_module_externals(ctx);
    if (reader.next_tag == LIB_TAG_EXTERNALS) red_r_ext(ctx, file);
    const ExternalRange externals = keep_module_externals(ctx);
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
                                            needed_by_member, externals});
    mark_loaded(library, ctx.pass1.library_index, library.module_no);
}

// A later cycle's walk: the library's bytes are those the first walk read
// whole, so every entry it took in would only be skipped again. The reader
// is left where the whole walk would leave it.
void visit_open_entries(LinkContext& ctx, ImageCursor& file, LibraryWalk& walk) {
    LibraryState& library = ctx.library;
    std::vector<LibraryWalk::Entry> still_open;
    for (const LibraryWalk::Entry& entry : walk.open_entries) {
        library.module_no = int(entry.module_no);
        ctx.reader.unit_base = ctx.sections.unit_count;
        file.seek(entry.offset);
        red_l_tbl(ctx, file);
        if (!module_loaded(ctx)) still_open.push_back(entry);
    }
    walk.open_entries = std::move(still_open);
    if (walk.module_count != 0) library.module_no = int(walk.module_count - 1);
    ctx.reader.unit_base = ctx.sections.unit_count;
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
    char buffer[NAME_LIMIT + 1];
    if (read_tag(file) != LIB_TAG_MODULE_NAME) internal_error("17");
    const std::string_view name = red_name(file, buffer);
    if (read_tag(file) != LIB_TAG_SKIPS) internal_error("18");
    uint32_t skip_all = red_number(file, 4);
    uint32_t skip_rest = red_number(file, 4);

    // Taken in by an earlier cycle: never read twice.
    if (module_loaded(ctx)) {
        skip_forward(ctx, file, skip_all);
        return;
    }

    // Passed over before and still not needed: passed over again without
    // reading its index a second time. The bytes are the same, so every
    // check they could fail has been made already.
    const char* entry_key = file.data() + file.tell();
    if (pass_again(ctx, file, entry_key)) return;

    if (read_tag(file) != LIB_TAG_MODULE_NUMBER) internal_error("19");
    red_number(file, 4);
    ctx.reader.max_label_unit = -1;
    red_l_pub(ctx, file);

    const SymbolEntry* needed = module_needed(ctx);
    if (needed == nullptr) {
        const bool duplicates = library.index.multiple_defined();
        if (duplicates) enter_index_duplicates(ctx, name);
        const int next_tag = ctx.reader.next_tag;
        // The tag after the index records has been read already; skip_rest
        // counts from it, and a skip_rest of 0 points backwards.
        if (skip_rest == 0) error_exit(ERR_SEEK, ctx.reader.current_file);
        skip_forward(ctx, file, uint64_t(skip_rest) - 1);
        if (!duplicates) remember_passed(ctx, entry_key, file.tell(), next_tag);
        return;
    }
    take_module(ctx, file, lasting_name(ctx, file, name, buffer), *needed);
    // Later cycles pass over this entry with skip_all, counted from its end.
    const std::ptrdiff_t skips_end = entry_key - file.data();
    if (uint64_t(skips_end) + skip_all != uint64_t(file.tell())) {
        walk_of(library, ctx.pass1.library_index).skips_land_on_entries = false;
    }
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
    // With -DEBUG every cycle walks every entry, so that each prints its
    // trace lines.
    LibraryWalk& known = walk_of(library, ctx.pass1.library_index);
    if (known.known && known.skips_land_on_entries && !ctx.options.opt_debug) {
        visit_open_entries(ctx, file, known);
        return;
    }
    uint32_t module_count = red_l_head(ctx, file);
    std::vector<LibraryWalk::Entry> open_entries;
    // A count larger than the entries present ends at the first missing
    // entry's tag; every entry moves the reader forward.
    for (uint32_t module_no = 0; module_no < module_count; ++module_no) {
        library.module_no = int(module_no);
        ctx.reader.unit_base = ctx.sections.unit_count;
        const long offset = file.tell();
        red_l_tbl(ctx, file);
        if (!module_loaded(ctx)) open_entries.push_back(LibraryWalk::Entry{module_no, offset});
    }
    LibraryWalk& walk = walk_of(library, ctx.pass1.library_index);
    walk.known = true;
    walk.module_count = module_count;
    walk.open_entries = std::move(open_entries);
}

}  // namespace orv
