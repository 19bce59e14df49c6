#include "output/listings.h"

#include <vector>

#include "base/link_context.h"

namespace orv {
namespace {

unsigned long as_hex(int32_t value) { return static_cast<uint32_t>(value); }

// Sections indexed by their number, found in one walk of the list. A number
// that no section carries ends the listing there.
std::vector<const Section*> sections_by_number(const LinkContext& ctx) {
    std::size_t count = 0;
    for (const Section* s = ctx.sections.section_list; s != nullptr; s = s->next) ++count;
    std::vector<const Section*> by_number(count, nullptr);
    for (const Section* s = ctx.sections.section_list; s != nullptr; s = s->next) {
        if (s->order_no < 1 || static_cast<std::size_t>(s->order_no) > by_number.size()) continue;
        const Section*& slot = by_number[static_cast<std::size_t>(s->order_no) - 1];
        if (slot == nullptr) slot = s;
    }
    std::vector<const Section*> ordered;
    for (const Section* s : by_number) {
        if (s == nullptr) break;
        ordered.push_back(s);
    }
    return ordered;
}

}  // namespace

void list_sections(LinkContext& ctx, TextOutput& stream, ListingTarget target) {
    const bool sym = target == ListingTarget::SYM;
    const bool wide = !sym && ctx.options.bank_mode;
    for (const Section* section : sections_by_number(ctx)) {
        for (const Unit* unit = section->units; unit != nullptr; unit = unit->next) {
            if (sym) stream.print("%04lX ", as_hex(unit->unit_no));
            if (sym || unit == section->units) {
                stream.print("%-17s ", section->name);
            } else {
                stream.print("                  ");
            }
            stream.print("%-17s ", unit->file_name);
            stream.print(unit->abs == 0 ? "REL   " : "ABS   ");
            stream.print(unit->ram == 0 ? "ROM   " : "RAM   ");
            if (wide) {
                stream.print("%05lX   %05lX   ", as_hex(unit->address), as_hex(unit->size));
            } else {
                stream.print("%04lX   %04lX   ", as_hex(unit->address), as_hex(unit->size));
            }
            if (sym) {
                stream.print("%s\n", unit->source_name != nullptr ? unit->source_name : "");
            } else {
                stream.print("\n");
            }
            if (unit->member_name != nullptr) stream.print("                  (%s)\n", unit->member_name);
        }
    }
}

void list_globals(LinkContext& ctx, GlobalListing& listing) {
    TextOutput& out = *listing.listing_file;
    const bool sym = listing.target == ListingTarget::SYM;
    const bool wide = !sym && ctx.options.bank_mode;
    const int per_line = sym ? 8 : 3;
    for (const SymbolEntry* sorted : ctx.symbols.in_name_order()) {
        const SymbolEntry& entry = *sorted;
        if (entry.kind != listing.listing_kind) continue;
        const unsigned long value = as_hex(entry.value);
        const unsigned bit_no = static_cast<uint32_t>(entry.bit_no);
        if (entry.kind == SYM_BIT) {
            if (sym) {
                out.print("%s %X %lX  ", entry.name, bit_no, value);
            } else if (wide) {
                out.print("%-15s %X %05lX   ", entry.name, bit_no, value);
            } else {
                out.print("%-15s %X %04lX   ", entry.name, bit_no, value);
            }
        } else {
            if (sym) {
                out.print("%s %lX  ", entry.name, value);
            } else if (wide) {
                out.print("%-15s %05lX   ", entry.name, value);
            } else {
                out.print("%-15s %04lX   ", entry.name, value);
            }
        }
        if (++listing.listing_count == per_line) {
            out.print("\n");
            listing.listing_count = 0;
        }
    }
}

}  // namespace orv
