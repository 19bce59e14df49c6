#include "command/command_input.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "command/banner.h"
#include "command/command_sources.h"
#include "command/file_lists.h"
#include "command/image_options.h"
#include "command/long_options.h"
#include "command/output_names.h"
#include "command/parameters.h"
#include "command/region_declarations.h"
#include "command/section_info.h"
#include "command/usage.h"

namespace orv {
namespace {

// The queries that stand instead of a link: the usage text (--help), the title
// line on standard output (--version) and, as the single argument besides long
// options, the title line on standard error (-V). Each ends the run with
// status 0.
void answer_query(LinkContext& ctx, const std::vector<std::string>& args) {
    if (ctx.options.ask_help != 0) {
        print_usage(ctx);
    } else if (ctx.options.ask_version != 0) {
        print_title_line(ctx.console.out);
    } else if (args.size() == 1 && args[0] == "-V") {
        print_version(ctx);
    } else {
        return;
    }
    throw LinkError::silent_exit(0);
}

// Fills the fields from the arguments or the command file; returns the index
// of the last field they supplied.
int acquire_fields(LinkContext& ctx, const std::vector<std::string>& args) {
    std::string (&fields)[FIELD_COUNT] = ctx.command.command_field;
    if (args.empty()) return NO_FIELD;
    // A command file is named only by a single argument; among several
    // arguments "@" is ordinary text.
    if (args.size() == 1 && !args[0].empty() && args[0][0] == '@') {
        const std::string_view name = std::string_view(args[0]).substr(1);
        int last = read_command_file(fields, ctx.inputs.open_text(name), name);
        ctx.opened_inputs.note(name);
        return last;
    }
    return split_arguments(fields, args);
}

}  // namespace

void get_command(LinkContext& ctx, const std::vector<std::string>& program_args) {
    note_explain_request(ctx, program_args);
    const std::vector<std::string> args = take_long_options(ctx, program_args);
    answer_query(ctx, args);

    int last_supplied = acquire_fields(ctx, args);
    // In batch use nothing waits on a terminal: the fields not given are
    // empty, as if given so, and each gets the error of an empty field.
    if (ctx.options.opt_batch) last_supplied = FIELD_PARAMETERS;
    const std::string (&fields)[FIELD_COUNT] = ctx.command.command_field;

    // With every field given, the options come first so that -. can keep the
    // banner quiet; otherwise the banner opens the prompts.
    if (last_supplied == FIELD_PARAMETERS) {
        set_parameters(ctx, fields[FIELD_PARAMETERS].c_str());
        print_banner(ctx);
    } else {
        print_banner(ctx);
        prompt_missing_fields(ctx, last_supplied);
        set_parameters(ctx, fields[FIELD_PARAMETERS].c_str());
    }
    answer_query(ctx, {});
    check_output_options(ctx);

    set_rel_files(ctx, fields[FIELD_REL_FILES].c_str());
    set_lib_files(ctx, fields[FIELD_LIBRARIES].c_str());
    set_section_info(ctx, fields[FIELD_SECTION_INFO].c_str());
    check_regions(ctx);
    check_image_options(ctx);
    set_output_names(ctx);
    check_image_file_names(ctx);
}

}  // namespace orv
