#include "base/explain.h"

#include <cstring>

#include "base/link_context.h"

namespace orv {

bool explaining(const LinkContext& ctx) { return ctx.options.explain != 0; }

bool findings_name_lines(const LinkContext& ctx) {
    return ctx.options.explain || ctx.options.sarif_file != nullptr ||
           ctx.findings.format == DiagnosticsFormat::GNU;
}

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

}  // namespace orv
