#include "pass2/pass2.h"

#include <cstdio>
#include <vector>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "base/progress.h"
#include "format/record_tags.h"
#include "pass1/input_faults.h"
#include "pass1/object_reader.h"
#include "pass2/contents.h"
#include "pass2/hex_writer.h"
#include "pass2/finding_lines.h"
#include "pass2/module_debug.h"
#include "pass2/range_explain.h"

namespace orv {
namespace {

// The names the module's expressions use are looked for among its own
// external names first.
void use_module_externals(LinkContext& ctx, ExternalRange range) { ctx.pass2.externals = range; }

// Pass 2 reads the images pass 1 read; nothing is opened again.
ImageCursor open_input(LinkContext& ctx, const char* name) {
    const std::string_view* image = ctx.inputs.open(name);
    if (image == nullptr) error_exit(ERR_FILE_NOT_FOUND, name);
    return ImageCursor::over_kept_image(*image);
}

void seek_or_fail(ImageCursor& file, long offset, const char* name) {
    if (!file.seek(offset)) error_exit(ERR_SEEK, name);
}

// A relocatable or requested file: both handles start where pass 1 stopped.
// The contents handle is carried past the relocation records, which the
// other handle then reads side by side with the contents.
void pass2_object_file(LinkContext& ctx, const char* name, const ModuleTable& table, std::size_t i) {
    const long resume_offset = table.resume_offset[i];
    const int32_t first_unit = table.first_unit[i];
    const int32_t last_unit = table.last_unit[i];
    ImageCursor code_stream = open_input(ctx, name);
    InputInUse reading(ctx, name, code_stream);
    seek_or_fail(code_stream, resume_offset, name);
    // A module without contents adds nothing to the image and is not listed.
    if (!find_contents(code_stream)) return;

    ctx.reader.current_file = name;
    print_progress(ctx, name);
    ImageCursor reloc_stream = open_input(ctx, name);
    InputInUse reading_both(ctx, name, code_stream, &reloc_stream);
    seek_or_fail(reloc_stream, resume_offset, ctx.reader.current_file);

    ctx.reader.unit_base = first_unit;
    ctx.pass2.last_unit = last_unit;
    use_module_externals(ctx, table.externals[i]);
    ModuleFindingLines finding_lines(ctx);
    if (starts_with_relocation(reloc_stream)) {
        process_contents(ctx, code_stream, &reloc_stream);
    } else {
        process_contents(ctx, code_stream, nullptr);
    }
    read_module_debug(ctx, code_stream, last_unit, name, nullptr);
    finding_lines.release();
}

// The modules taken from one library, through one pair of handles that is
// opened only when the library gave at least one module.
void pass2_library(LinkContext& ctx, const char* name, const std::vector<const LibModule*>& modules) {
    if (modules.empty()) return;
    ImageCursor code_stream = open_input(ctx, name);
    ImageCursor reloc_stream = open_input(ctx, name);
    ctx.reader.current_file = name;
    for (const LibModule* module : modules) {
        InputInUse reading(ctx, name, code_stream, &reloc_stream, module->name);
        pass2_module(ctx, *module, code_stream, reloc_stream);
    }
}

// The modules taken in from libraries first_index to first_index + count - 1,
// grouped by library, each group in the order the modules were taken in.
std::vector<std::vector<const LibModule*>> modules_by_library(const LinkContext& ctx,
                                                              int first_index, int count) {
    std::vector<std::vector<const LibModule*>> groups(std::size_t(count > 0 ? count : 0));
    for (const LibModule& module : ctx.library.lib_modules) {
        int k = module.library_index - first_index;
        if (k >= 0 && k < count) groups[std::size_t(k)].push_back(&module);
    }
    return groups;
}

}  // namespace

void pass2(LinkContext& ctx) {
    if (!ctx.options.opt_quiet) std::fprintf(ctx.console.err, "now processing pass 2\n");
    // File-name records read again here request nothing.
    ctx.reader.collect_requests = 0;
    // The reports list every module's functions.
    ctx.debug.wanted =
        ctx.options.link_report != nullptr || ctx.options.memory_map != nullptr || findings_name_lines(ctx);
    hex_init(ctx);
    pass2_rel_files(ctx);
    if (!ctx.options.opt_no_request && ctx.reader.requested_file_count != 0) pass2_requested_files(ctx);
    pass2_libraries(ctx);
    if (!ctx.options.opt_no_request) pass2_requested_libs(ctx);
    end_range_findings(ctx);
    release_placement_findings(ctx);
}

void pass2_rel_files(LinkContext& ctx) {
    for (std::size_t i = 0; i < ctx.command.rel_file_names.size(); ++i) pass2_rel_file(ctx, i);
}

void pass2_rel_file(LinkContext& ctx, std::size_t i) {
    pass2_object_file(ctx, ctx.command.rel_file_names[i], ctx.pass1.rel, i);
}

void pass2_requested_files(LinkContext& ctx) {
    const ModuleTable& table = ctx.pass1.req;
    std::size_t i = 0;
    for (const RequestedFile* node = ctx.reader.requested_files; node != nullptr; node = node->next, ++i) {
        pass2_object_file(ctx, node->name, table, i);
    }
}

void pass2_libraries(LinkContext& ctx) {
    const std::vector<const char*>& names = ctx.command.lib_file_names;
    int count = int(names.size());
    auto groups = modules_by_library(ctx, 0, count);
    for (int k = 0; k < count; ++k) pass2_library(ctx, names[std::size_t(k)], groups[std::size_t(k)]);
}

void pass2_requested_libs(LinkContext& ctx) {
    int first_index = int(ctx.command.lib_file_names.size());
    auto groups = modules_by_library(ctx, first_index, ctx.reader.requested_lib_count);
    std::size_t k = 0;
    for (const RequestedLib* node = ctx.reader.requested_libs; node != nullptr && k < groups.size();
         node = node->next, ++k) {
        pass2_library(ctx, node->name, groups[k]);
    }
}

void pass2_module(LinkContext& ctx, const LibModule& module, ImageCursor& code_stream,
                  ImageCursor& reloc_stream) {
    const char* library = ctx.reader.current_file;
    print_progress(ctx, library, module.name);
    seek_or_fail(code_stream, module.image_offset, library);
    // The header is read again for the module's source name; it makes the
    // same checks as in pass 1 (with -V the first comparison may be here).
    red_r_fmt(ctx, code_stream);
    red_r_ver(ctx, code_stream);
    red_r_fname(ctx, code_stream);
    fix_member_units(ctx, module);
    if (module.code_offset == 0) return;

    seek_or_fail(code_stream, long(module.code_offset) + 1, library);
    ctx.reader.unit_base = module.first_unit;
    ctx.pass2.last_unit = module.last_unit;
    use_module_externals(ctx, module.externals);
    ModuleFindingLines finding_lines(ctx);
    if (module.reloc_offset != 0) {
        seek_or_fail(reloc_stream, long(module.reloc_offset) + 1, library);
        process_contents(ctx, code_stream, &reloc_stream);
    } else {
        process_contents(ctx, code_stream, nullptr);
    }
    read_module_debug(ctx, code_stream, module.last_unit, library, module.name);
    finding_lines.release();
}

void fix_member_units(LinkContext& ctx, const LibModule& module) {
    // The module's units are numbered first_unit to last_unit without gaps,
    // so the table reaches them directly.
    const std::vector<Unit*>& table = ctx.sections.unit_table;
    for (int32_t no = module.first_unit; no <= module.last_unit; ++no) {
        if (no < 0 || std::size_t(no) >= table.size() || table[std::size_t(no)] == nullptr) {
            internal_error("24.1");
        }
        Unit* unit = table[std::size_t(no)];
        if (unit->member_name == nullptr) internal_error("24.1");
        unit->source_name = ctx.reader.source_name;
    }
}

int find_contents(ImageCursor& code_stream) {
    for (;;) {
        int tag = code_stream.get();
        if (tag == TAG_RELOCATION) {
            skip_relocation_record(code_stream);
        } else if (tag == TAG_CONTENTS) {
            return 1;
        } else if (is_debug_or_end_tag(tag)) {
            return 0;
        } else {
            internal_error("24.3");
        }
    }
}

int starts_with_relocation(ImageCursor& reloc_stream) {
    int tag = reloc_stream.get();
    if (tag == TAG_RELOCATION) return 1;
    if (is_pass2_tag(tag)) return 0;
    internal_error("24.2");
}

}  // namespace orv
