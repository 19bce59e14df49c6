#include "pass1/pass1.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "base/progress.h"
#include "library/library_search.h"
#include "pass1/input_faults.h"
#include "pass1/linker_symbols.h"
#include "pass1/object_reader.h"
#include "pass1/symbol_report.h"
#include "platform/program_arguments.h"

namespace orv {
namespace {

// A library directory must leave room for a library name in a 512-byte path.
constexpr std::size_t LIBRARY_DIR_LIMIT = 512;

void size_table(ModuleTable& table, std::size_t count) {
    table.first_unit.assign(count, 0);
    table.last_unit.assign(count, 0);
    table.resume_offset.assign(count, 0);
    table.externals.assign(count, ExternalRange{});
}

// LIBOV names the directory searched first for libraries. An empty value
// names no directory (a separator on its own would make the path absolute),
// and a value too long to be joined with any name is ignored.
void pass1_init(LinkContext& ctx) {
    Pass1State& state = ctx.pass1;
    state.library_dir = nullptr;
    state.library_dir_length = 0;
    if (const std::optional<std::string> dir = environment_variable("LIBOV")) {
        std::size_t length = dir->size();
        if (length != 0 && length < LIBRARY_DIR_LIMIT) {
            state.library_dir = ctx.str_save(*dir);
            state.library_dir_length = length;
        }
    }
    size_table(state.rel, ctx.command.rel_file_names.size());
}

// Opens one relocatable file, reads its pass-1 part and records where its
// units are and where pass 2 resumes reading it.
void read_module_file(LinkContext& ctx, const char* name, ModuleTable& table, std::size_t i) {
    const std::string_view* image = ctx.inputs.open(name);
    if (image == nullptr) error_exit(ERR_FILE_NOT_FOUND, name);
    ImageCursor file = ImageCursor::over_kept_image(*image);
    InputInUse reading(ctx, name, file);
    ctx.opened_inputs.note(name);
    ReaderState& reader = ctx.reader;
    reader.current_file = name;
    reader.unit_base = ctx.sections.unit_count;
    print_progress(ctx, name);
    begin_module_externals(ctx);
    red_r_module(ctx, file);
    ++ctx.stats.modules_read;
    table.externals[i] = keep_module_externals(ctx);
    table.first_unit[i] = reader.unit_base;
    table.last_unit[i] = ctx.sections.unit_count - 1;
    // The stop tag has been read: pass 2 starts again with it.
    table.resume_offset[i] = file.tell() - 1;
}

// Only the listed files may request further files and libraries.
void read_rel_files(LinkContext& ctx) {
    ctx.reader.collect_requests = 1;
    const auto& names = ctx.command.rel_file_names;
    for (std::size_t i = 0; i < names.size(); ++i) read_module_file(ctx, names[i], ctx.pass1.rel, i);
    ctx.reader.collect_requests = 0;
}

void read_requested_files(LinkContext& ctx) {
    const ReaderState& reader = ctx.reader;
    if (ctx.options.opt_no_request || reader.requested_file_count == 0) return;
    size_table(ctx.pass1.req, std::size_t(reader.requested_file_count));
    std::size_t i = 0;
    for (const RequestedFile* node = reader.requested_files; node != nullptr; node = node->next) {
        read_module_file(ctx, node->name, ctx.pass1.req, i++);
    }
}

}  // namespace

void read_listed_files(LinkContext& ctx) {
    size_table(ctx.pass1.rel, ctx.command.rel_file_names.size());
    read_rel_files(ctx);
}

void pass1(LinkContext& ctx) {
    pass1_init(ctx);
    enter_symbol_definitions(ctx);
    if (!ctx.options.opt_quiet) std::fputs("now processing pass 1\n", ctx.console.err);
    read_rel_files(ctx);
    read_requested_files(ctx);

    // Multiply defined names do not stop the reading: they are reported with
    // the unresolved ones where pass 1 would otherwise end.
    bool libraries_requested = !ctx.options.opt_no_request && ctx.reader.requested_lib_count != 0;
    bool have_libraries = !ctx.command.lib_file_names.empty() || libraries_requested;
    if (ctx.symbols.has_unresolved() && have_libraries) {
        print_progress(ctx, "Libraries");
        read_libraries(ctx);
    }
    // What the modules leave undefined, the linker may still define.
    define_section_symbols(ctx);
    if (ctx.symbols.has_unresolved() || ctx.symbols.multiple_defined()) fail_with_symbol_errors(ctx);
}

}  // namespace orv
