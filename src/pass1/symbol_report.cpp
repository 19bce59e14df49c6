#include "pass1/symbol_report.h"

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "output/why_extract.h"

namespace orv {

void report_symbol_errors(LinkContext& ctx) {
    for (const SymbolEntry* entry : ctx.symbols.in_name_order()) {
        if (entry->state == SYM_UNDEFINED) {
            report_listed(ctx.console, ERR_UNRESOLVED, entry->name, entry->file_name);
            explain_unresolved(ctx, *entry);
        } else if (entry->state == SYM_MULTIPLE) {
            report_listed(ctx.console, ERR_MULTIPLE_DEFINED, entry->name, entry->file_name, entry->other_file);
            explain_multiple_definition(ctx, *entry);
        }
    }
}

void fail_with_symbol_errors(LinkContext& ctx) {
    report_symbol_errors(ctx);
    // The modules taken in before the search gave up explain the report too.
    write_why_extract(ctx);
    throw LinkError::silent_exit(1);
}

}  // namespace orv
