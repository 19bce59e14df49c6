#include "base/explain.h"

#include <cstring>

#include "base/diagnostics.h"
#include "base/input_faults.h"
#include "base/link_context.h"

namespace orv {
namespace {

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

bool explaining(const LinkContext& ctx) { return ctx.options.explain != 0; }

int times_listed(const LinkContext& ctx, const char* file) {
    int count = 0;
    for (const char* name : ctx.command.rel_file_names) {
        if (std::strcmp(name, file) == 0) ++count;
    }
    return count;
}

std::string module_name(const char* file, const char* member) {
    std::string text = file != nullptr ? file : "";
    if (member != nullptr) text += std::string("(") + member + ")";
    return text;
}

void explain_fatal(LinkContext& ctx, LinkError& error) {
    if (!explaining(ctx) || error.is_silent()) return;
    if (std::optional<InputFault> fault = locate_input_fault(ctx, error)) {
        error.add_detail(input_fault_text(*fault));
        ctx.explain.input_fault = std::move(fault);
    }
    // A library typed into the relocatable-files field gets ".ROV" added
    // behind its own extension and is then not found.
    if (error.number() == ERR_FILE_NOT_FOUND && ends_with(error.argument(), ".LIB.ROV") &&
        times_listed(ctx, error.argument().c_str()) > 0) {
        std::string library = error.argument().substr(0, error.argument().size() - 4);
        error.add_detail(library + " stands among the relocatable files: libraries go in the " +
                         "second field, after the first comma");
    }
}

}  // namespace orv
