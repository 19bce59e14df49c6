#pragma once
#include <cstdint>
#include <string_view>

#include "base/diagnostics.h"
#include "format/image_cursor.h"
#include "pass1/pass1_state.h"

namespace orv {

struct LinkContext;

// Longest name a reader keeps; the rest of a longer name is dropped.
constexpr int NAME_LIMIT = 511;

// A big-endian unsigned number of 1 to 4 bytes; the end of the file inside
// it is internal error point "9".
// Inline: every record is mostly numbers.
inline uint32_t red_number(ImageCursor& file, int width) {
    uint32_t value = 0;
    if (!file.number(width, value)) [[unlikely]] internal_error("9");
    return value;
}

// A zero-terminated name into a buffer of NAME_LIMIT + 1 bytes; returns the
// number of characters kept. The end of the file while keeping is point
// "10", while dropping the tail of an over-long name point "11".
int red_string(ImageCursor& file, char (&buffer)[NAME_LIMIT + 1]);

// A name read as red_string reads it, returned as a view that is always
// followed by a zero byte: into the image when the whole name is there (no
// copy), else into `buffer`, which then holds the kept part of an over-long
// name.
inline std::string_view red_name(ImageCursor& file, char (&buffer)[NAME_LIMIT + 1]) {
    std::string_view text;
    if (file.name_view(NAME_LIMIT, text)) [[likely]] return text;
    return std::string_view(buffer, std::size_t(red_string(file, buffer)));
}

// A name that red_name read from `file`, kept for the rest of the link: the
// image's own bytes when the link keeps the image, else a pooled copy.
const char* lasting_name(LinkContext& ctx, const ImageCursor& file, std::string_view name, const char* buffer);

// Reads the header and pass-1 records of one module; returns with the stop
// tag consumed and left in next_tag.
void red_r_module(LinkContext& ctx, ImageCursor& file);

// The header records: format, program version, file names. Each starts at
// its own tag.
void red_r_fmt(LinkContext& ctx, ImageCursor& file);
void red_r_ver(LinkContext& ctx, ImageCursor& file);
void red_r_fname(LinkContext& ctx, ImageCursor& file);

// The pass-1 records, called with their tag consumed. `tag` is the tag that
// continues a run of unit entries or label groups (it differs in libraries).
// Each leaves the byte after its record in next_tag.
void red_r_unit(LinkContext& ctx, ImageCursor& file, int tag);
void red_r_pub(LinkContext& ctx, ImageCursor& file, int tag);
void red_r_sym(LinkContext& ctx, ImageCursor& file);
void red_r_bit(LinkContext& ctx, ImageCursor& file);
void red_r_ext(LinkContext& ctx, ImageCursor& file);

// The external names red_r_ext has read since the module began, moved to
// the record pool for pass 2.
void begin_module_externals(LinkContext& ctx);
ExternalRange keep_module_externals(LinkContext& ctx);

// Rejects a module whose public labels name a unit the module does not
// have (internal error point "7.1"): called once the module's units have
// been read, with unit_base and unit_count covering exactly its units.
void check_label_units(LinkContext& ctx);

}  // namespace orv
