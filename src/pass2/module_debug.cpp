#include "pass2/module_debug.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "pass1/input_faults.h"
#include "pass2/debug_records.h"
#include "pass2/debug_tables.h"
#include "pass2/local_symbols.h"

namespace orv {

void read_module_debug(LinkContext& ctx, ImageCursor& stream, int32_t last_unit, const char* file,
                       const char* member) {
    if (!ctx.debug.wanted) {
        if (ctx.options.opt_sym) write_local_symbols(ctx, stream, last_unit);
        return;
    }
    DebugTableBuilder table(ctx, last_unit);
    if (ctx.options.opt_sym) {
        // The symbol file is written as without the tables: a damaged record
        // stops the link as it always has.
        std::unique_ptr<DebugRecordSink> lines = symbol_file_lines(ctx, last_unit);
        BothSinks both(*lines, table);
        read_debug_records(ctx, stream, both);
        table.keep(file, member);
        return;
    }
    // Without a symbol file the link needs no debug record: a damaged one
    // only leaves the module's functions out of the tables.
    try {
        read_debug_records(ctx, stream, table);
    } catch (const LinkError& error) {
        if (error.number() != ERR_INTERNAL) throw;
        table.drop(file, member, damaged_input_text(error, stream));
        return;
    }
    table.keep(file, member);
}

}  // namespace orv
