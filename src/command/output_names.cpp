#include "command/output_names.h"

#include <string>

#include "base/link_context.h"

namespace orv {

void set_output_names(LinkContext& ctx) {
    // The first relocatable file names the outputs: its base name (without
    // the .ROV extension) and its directory, for whichever of the two the
    // options -F and -O left open.
    std::string name = ctx.command.rel_file_names.front();
    std::size_t dot = name.rfind('.');
    std::size_t separator = name.find_last_of("\\/");
    if (separator == std::string::npos) separator = name.rfind(':');
    // The list always ends its names in the extension, so the last dot is
    // the extension's and stands after every separator.
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) {
        name.resize(dot);
    }

    if (separator == std::string::npos) {
        if (ctx.options.out_name == nullptr) ctx.options.out_name = ctx.str_save(name);
        return;
    }
    if (ctx.options.out_name == nullptr) {
        ctx.options.out_name = ctx.str_save(std::string_view(name).substr(separator + 1));
    }
    if (ctx.options.out_dir == nullptr) {
        ctx.options.out_dir = ctx.str_save(std::string_view(name).substr(0, separator + 1));
    }
}

}  // namespace orv
