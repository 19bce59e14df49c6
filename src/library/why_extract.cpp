#include "library/why_extract.h"

#include <cstdio>
#include <string>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "platform/host_files.h"

namespace orv {
namespace {

// The name under which a library was opened: the command-line libraries
// are numbered first, the requested ones after them.
const char* library_file_name(const LinkContext& ctx, int library_index) {
    const std::vector<const char*>& listed = ctx.command.lib_file_names;
    if (library_index >= 0 && std::size_t(library_index) < listed.size()) return listed[std::size_t(library_index)];
    int k = library_index - int(listed.size());
    for (const RequestedLib* node = ctx.reader.requested_libs; node != nullptr; node = node->next, --k) {
        if (k == 0) return node->name;
    }
    return "";
}

}  // namespace

void write_why_extract(LinkContext& ctx) {
    const char* target = ctx.options.why_extract;
    if (target == nullptr) return;
    const bool to_console = std::string_view(target) == "-";
    std::FILE* file = to_console ? ctx.console.out : ctx.output.create_report(target);
    if (file == nullptr) error_exit(ERR_CANT_CREATE, target);

    std::string text = "reference\textracted\tsymbol\n";
    for (const LibModule& module : ctx.library.lib_modules) {
        text += module_name(module.needed_by_file, module.needed_by_member) + "\t" +
                module_name(library_file_name(ctx, module.library_index), module.name) + "\t" +
                module.needed_name + "\n";
    }
    bool written = std::fputs(text.c_str(), file) >= 0;
    if (to_console) return;
    if (std::fclose(file) != 0 || !written) error_exit(ERR_DISK_FULL);
}

}  // namespace orv
