#include "library/why_extract.h"

#include <cstdio>
#include <string>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "platform/console_text.h"
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

// A name in the table file: TAB, CR and LF as \xHH, the rest as it is.
std::string table_field(const std::string& name) {
    std::string text;
    for (char c : name) {
        if (c == '\t' || c == '\r' || c == '\n') {
            char escape[8];
            write_console_escapes(std::string_view(&c, 1), escape);
            text.append(escape, 4);
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

void write_why_extract(LinkContext& ctx) {
    const char* target = ctx.options.why_extract;
    if (target == nullptr) return;
    const bool to_console = std::string_view(target) == "-";
    std::FILE* file = to_console ? ctx.console.out : ctx.output.create_report(target);
    if (file == nullptr) cant_create_exit(target, ctx.output.report_error());

    // A field is escaped so that it cannot forge a column or a row, and on
    // the console as every console text.
    auto field = [to_console](const std::string& text) { return to_console ? console_text(text) : table_field(text); };
    std::string text = "reference\textracted\tsymbol\n";
    for (const LibModule& module : ctx.library.lib_modules) {
        text += field(module_name(module.needed_by_file, module.needed_by_member)) + "\t" +
                field(module_name(library_file_name(ctx, module.library_index), module.name)) + "\t" +
                field(module.needed_name) + "\n";
    }
    bool written = std::fputs(text.c_str(), file) >= 0;
    if (to_console) return;
    if (std::fclose(file) != 0 || !written) error_exit(ERR_DISK_FULL);
}

}  // namespace orv
