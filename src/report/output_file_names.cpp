#include "report/output_file_names.h"

#include "driver/link_context.h"

namespace orv {

OutputFileNames output_file_names(const LinkContext& ctx) {
    std::string base = ctx.options.out_dir != nullptr ? ctx.options.out_dir : "";
    if (ctx.options.out_name != nullptr) base += ctx.options.out_name;
    return OutputFileNames{base + ".HEX", base + ".MAP", base + ".SYM"};
}

}  // namespace orv
