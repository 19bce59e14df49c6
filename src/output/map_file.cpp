#include "output/map_file.h"

#include "base/link_context.h"
#include "command/banner.h"
#include "output/listings.h"
#include "platform/clock.h"

namespace orv {

void write_map(LinkContext& ctx) {
    TextOutput& map = *ctx.output.map_file;
    map.print("\n");
    for (const char* text : BANNER_TITLE) map.print("%s", text);
    map.print("   MAP FILE\t\t%s\n\n", link_time_text().c_str());
    map.print("SECTION           FILENAME          ATR.  TYPE  START  LENGTH\n\n");
    list_sections(ctx, map, ListingTarget::MAP);
    if (!ctx.options.opt_map_symbols) return;

    static const struct {
        const char* heading;
        SymKind kind;
    } GLOBALS[] = {
        {"\n\nGLOBAL LABEL INFORMATION\n\n", SYM_LABEL},
        {"\n\nGLOBAL SYMBOL INFORMATION\n\n", SYM_SYMBOL},
        {"\n\nGLOBAL BIT SYMBOL INFORMATION\n\n", SYM_BIT},
    };
    for (const auto& part : GLOBALS) {
        map.print("%s", part.heading);
        GlobalListing listing{&map, ListingTarget::MAP, part.kind, 0};
        list_globals(ctx, listing);
    }
    map.print("\n");
}

}  // namespace orv
