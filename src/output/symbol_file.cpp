#include "output/symbol_file.h"

#include "base/link_context.h"
#include "output/listings.h"

namespace orv {

void write_sym_globals(LinkContext& ctx) {
    TextOutput& sym = *ctx.output.sym_file;
    sym.print("\n# SECTION INFORMATION\n");
    list_sections(ctx, sym, ListingTarget::SYM);
    static const struct {
        const char* heading;
        SymKind kind;
    } GLOBALS[] = {
        {"# GLOBAL LABEL\n", SYM_LABEL},
        {"\n# GLOBAL SYMBOL\n", SYM_SYMBOL},
        {"\n# GLOBAL BIT SYMBOL\n", SYM_BIT},
    };
    for (const auto& part : GLOBALS) {
        sym.print("%s", part.heading);
        GlobalListing listing{&sym, ListingTarget::SYM, part.kind, 0};
        list_globals(ctx, listing);
    }
}

}  // namespace orv
