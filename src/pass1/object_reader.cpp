#include "pass1/object_reader.h"

#include <string_view>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "format/record_tags.h"
#include "pass1/reader_trace.h"

namespace orv {
namespace {

// Requested names get an extension of 4 characters; with it and the
// terminator they must fit the 512 bytes a file name may take.
constexpr std::size_t REQUEST_NAME_LIMIT = 512;

const char* file_name_for_message(const LinkContext& ctx) {
    return ctx.reader.current_file != nullptr ? ctx.reader.current_file : "";
}

// The listed relocatable files count as already requested, so that a
// module asking for one of them does not have it read twice.
std::unordered_set<std::string_view>& request_names(LinkContext& ctx) {
    ReaderState& reader = ctx.reader;
    if (!reader.request_names_ready) {
        for (const char* name : ctx.command.rel_file_names) reader.request_names.insert(name);
        reader.request_names_ready = true;
    }
    return reader.request_names;
}

void check_request_length(std::string_view name) {
    if (name.size() + 5 > REQUEST_NAME_LIMIT) error_exit(ERR_FILE_NOT_FOUND, name);
}

// The module being read, for --explain's line under a request not found.
const char* requester(LinkContext& ctx) {
    if (!ctx.options.explain) return nullptr;
    return ctx.str_save(module_name(ctx.reader.current_file, ctx.reader.current_member));
}

void request_file(LinkContext& ctx, std::string_view name) {
    check_request_length(name);
    std::string full(name);
    full += ".ROV";
    auto& seen = request_names(ctx);
    if (seen.count(full) != 0) return;

    ReaderState& reader = ctx.reader;
    const char* saved = ctx.str_save(full);
    RequestedFile* node = pool_new<RequestedFile>(ctx.pools.mem_pool, saved, nullptr);
    node->requested_by = requester(ctx);
    if (reader.requested_files_tail == nullptr) {
        reader.requested_files = node;
    } else {
        reader.requested_files_tail->next = node;
    }
    reader.requested_files_tail = node;
    ++reader.requested_file_count;
    seen.insert(saved);
}

// Libraries are kept as often as they are requested: each request is
// searched in every library search cycle.
void request_lib(LinkContext& ctx, std::string_view name) {
    check_request_length(name);
    std::string full(name);
    full += ".LIB";

    ReaderState& reader = ctx.reader;
    RequestedLib* node = pool_new<RequestedLib>(ctx.pools.mem_pool, ctx.str_save(full), 0, nullptr);
    node->requested_by = requester(ctx);
    if (reader.requested_libs_tail == nullptr) {
        reader.requested_libs = node;
    } else {
        reader.requested_libs_tail->next = node;
    }
    reader.requested_libs_tail = node;
    ++reader.requested_lib_count;
}

}  // namespace

void red_r_fmt(LinkContext& ctx, ImageCursor& file) {
    reader_trace(ctx, "now red_r_fmt()\n");
    if (file.get() != TAG_FORMAT) internal_error("1.5");
    char buffer[NAME_LIMIT + 1];
    const std::string_view text = red_name(file, buffer);
    // Only the first five characters name the format; later ones are the
    // assembler's own.
    if (text.substr(0, OBJECT_FORMAT.size()) != OBJECT_FORMAT) {
        error_exit(ERR_FORMAT_MISMATCH, file_name_for_message(ctx));
    }
}

void red_r_ver(LinkContext& ctx, ImageCursor& file) {
    reader_trace(ctx, "now red_r_ver()\n");
    if (file.get() != TAG_VERSION) internal_error("2");
    char buffer[NAME_LIMIT + 1];
    const std::string_view text = red_name(file, buffer);
    if (!ctx.options.opt_version_check) return;
    ReaderState& reader = ctx.reader;
    if (reader.first_version == nullptr) {
        reader.first_version = ctx.str_save(text);
    } else if (std::string_view(reader.first_version) != text) {
        error_exit(ERR_VERSION_DIFFERENT);
    }
}

void red_r_fname(LinkContext& ctx, ImageCursor& file) {
    reader_trace(ctx, "now red_r_fname()\n");
    ReaderState& reader = ctx.reader;
    char buffer[NAME_LIMIT + 1];

    if (file.get() != TAG_FILE_NAMES) internal_error("3");
    if (file.get() != TAG_SOURCE) internal_error("4");
    reader.source_name = lasting_name(ctx, file, red_name(file, buffer), buffer);

    if (file.get() != TAG_REQUESTED_FILES) internal_error("5");
    for (std::string_view name; !(name = red_name(file, buffer)).empty();) {
        if (reader.collect_requests) request_file(ctx, name);
    }

    if (file.get() != TAG_REQUESTED_LIBS) internal_error("6");
    for (std::string_view name; !(name = red_name(file, buffer)).empty();) {
        if (reader.collect_requests) request_lib(ctx, name);
    }
}

void red_r_module(LinkContext& ctx, ImageCursor& file) {
    ReaderState& reader = ctx.reader;
    reader.max_label_unit = -1;
    red_r_fmt(ctx, file);
    red_r_ver(ctx, file);
    red_r_fname(ctx, file);
    reader.next_tag = file.get();
    for (;;) {
        switch (reader.next_tag) {
        case TAG_UNIT:
            red_r_unit(ctx, file, TAG_UNIT);
            break;
        case TAG_LABELS:
            red_r_pub(ctx, file, TAG_LABELS);
            break;
        case TAG_SYMBOLS:
            red_r_sym(ctx, file);
            break;
        case TAG_BITS:
            red_r_bit(ctx, file);
            break;
        case TAG_EXTERNALS:
            red_r_ext(ctx, file);
            break;
        default:
            // The first record of the part pass 2 reads ends the module's first part.
            if (!is_pass2_tag(reader.next_tag)) internal_error("1");
            check_label_units(ctx);
            return;
        }
    }
}

}  // namespace orv
