#include "orvobj/object_check.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "command/banner.h"
#include "library/library_search.h"
#include "pass1/input_faults.h"
#include "pass1/pass1.h"
#include "pass2/hex_writer.h"
#include "pass2/pass2.h"
#include "pass2/range_explain.h"
#include "placement/placement_steps.h"
#include "platform/console.h"

namespace orv {
namespace {

// The link's own output has no part in the verdict.

// The names the module refers to are defined elsewhere in a real link;
// here they become symbols of value 0, so that pass 2 finds them.
void define_references(LinkContext& ctx) {
    std::vector<const char*> undefined;
    for (const SymbolEntry* entry : ctx.symbols.in_name_order()) {
        if (entry->state == SYM_UNDEFINED) undefined.push_back(entry->name);
    }
    for (const char* name : undefined) {
        SymbolEntry definition;
        definition.name = name;
        definition.file_name = ctx.reader.current_file;
        definition.kind = SYM_SYMBOL;
        definition.state = SYM_DEFINED;
        ctx.symbols.enter_symbol(definition);
    }
}

// The pass-1 part of the module and of the other objects of its link, and
// the modules the libraries give for the names still undefined. A name
// defined twice ends the link's search where the link would end it; names
// are the link's matter, not the module's, and the check goes on.
void read_link(LinkContext& ctx, const std::string& path, const LinkFiles& link) {
    ctx.command.rel_file_names.push_back(ctx.str_save(path));
    for (const std::string& object : link.objects) ctx.command.rel_file_names.push_back(ctx.str_save(object));
    for (const std::string& library : link.libraries) ctx.command.lib_file_names.push_back(ctx.str_save(library));
    ctx.command.lib_file_flags.assign(ctx.command.lib_file_names.size(), 0);
    read_listed_files(ctx);
    if (ctx.command.lib_file_names.empty() || !ctx.symbols.has_unresolved()) return;
    try {
        read_libraries(ctx);
    } catch (const LinkError& error) {
        if (!error.is_silent()) throw;
    }
}

void place_module_units(LinkContext& ctx) {
    order_sections(ctx);
    check_section_types(ctx);
    number_sections(ctx);
    build_unit_table(ctx);
    relocate_labels(ctx);
}

void open_discarded_outputs(LinkContext& ctx) {
    ctx.output.hex_file = TextOutput::create(NULL_DEVICE);
    ctx.output.sym_file = TextOutput::create(NULL_DEVICE);
    if (!ctx.output.hex_file || !ctx.output.sym_file) error_exit(ERR_CANT_CREATE, NULL_DEVICE);
}

std::string message_of(const LinkError& error) {
    std::string text = "ERROR NO." + std::to_string(error.number()) + ": ";
    char message[1024];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    std::snprintf(message, sizeof message, error_text(error.number()), error.argument().c_str());
#pragma GCC diagnostic pop
    text += message;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace

ObjectCheck check_object(const std::string& path, const LinkFiles& link) {
    std::FILE* discard = std::fopen(NULL_DEVICE, "w");
    LinkContext ctx(Console{stdin, discard != nullptr ? discard : stderr, discard != nullptr ? discard : stderr});
    init_linker(ctx);
    ctx.options.explain = 1;
    ctx.options.opt_no_request = 1;
    ctx.options.opt_sym = 1;
    // A unit in the extend area is a matter of the link's options.
    ctx.options.bank_mode = 1;
    ctx.options.max_address = 0x1FFFF;
    // Its section-size operands may name the sections of other modules,
    // which only the files of its link hold.
    ctx.pass2.module_alone = !link.given;

    ObjectCheck result;
    try {
        read_link(ctx, path, link);
        define_references(ctx);
        place_module_units(ctx);
        open_discarded_outputs(ctx);
        hex_init(ctx);
        pass2_rel_file(ctx, 0);
    } catch (LinkError& error) {
        if (!error.is_silent()) end_range_findings(ctx);
        explain_fatal(ctx, error);
        result.clean = false;
        const std::optional<InputFault>& fault = ctx.explain.input_fault;
        if (fault && !fault->expected.empty()) {
            result.fault = input_fault_text(*fault) + " (the link stops with " + message_of(error) + ")";
        } else {
            // The file being read when the link stopped, which may be
            // another file of the link.
            const std::optional<StoppedInput>& stopped = ctx.explain.stopped_input;
            result.fault = (stopped ? stopped->file : path) + ": " + message_of(error);
        }
    }
    if (discard != nullptr) std::fclose(discard);
    return result;
}

}  // namespace orv
