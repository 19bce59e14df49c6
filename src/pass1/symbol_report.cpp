#include "pass1/symbol_report.h"

#include "driver/diagnostics.h"
#include "driver/link_context.h"

namespace orv {

void report_symbol_errors(LinkContext& ctx) {
    for (const SymbolEntry* entry : ctx.symbols.in_name_order()) {
        if (entry->state == SYM_UNDEFINED) {
            report_listed(ctx.console, ERR_UNRESOLVED, entry->name, entry->file_name);
        } else if (entry->state == SYM_MULTIPLE) {
            report_listed(ctx.console, ERR_MULTIPLE_DEFINED, entry->name, entry->file_name, entry->other_file);
        }
    }
}

void fail_with_symbol_errors(LinkContext& ctx) {
    report_symbol_errors(ctx);
    throw LinkError::silent_exit(1);
}

}  // namespace orv
