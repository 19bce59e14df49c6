#pragma once
#include <cstdint>

#include "pass1/symbols.h"
#include "platform/text_output.h"

namespace orv {

struct LinkContext;

// The file a listing goes to: the map file and the symbol file lay the same
// listings out differently.
enum class ListingTarget { MAP, SYM };

// Every unit of every section, sections in ascending order of their start
// address, units in reading order.
void list_sections(LinkContext& ctx, TextOutput& stream, ListingTarget target);

// State of one global listing, set up by the caller before each listing.
struct GlobalListing {
    TextOutput* listing_file;
    ListingTarget target;
    SymKind listing_kind;
    int listing_count;  // entries on the current line
};

// Every global name of the listing's kind in ascending name order, a fixed
// number to a line; a last partial line is left open for the caller.
void list_globals(LinkContext& ctx, GlobalListing& listing);

}  // namespace orv
