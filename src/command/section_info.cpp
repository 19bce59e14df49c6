#include "command/section_info.h"

#include <string>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "base/text_helpers.h"

namespace orv {
namespace {

// Error 3 for an item of the section information, with the form expected.
[[noreturn]] void fail_section_item(LinkContext& ctx, std::string_view item) {
    LinkError error(ERR_INVALID_SECTION_INFO, {});
    if (explaining(ctx)) {
        error.add_detail("item \"" + std::string(item) +
                         "\": expected NAME or NAME=hexaddress, such as P=C000");
    }
    throw error;
}

// The one-letter names of the standard sections are held in upper case, as
// they are when read from a relocatable file; every other name keeps its case.
const char* save_section_name(LinkContext& ctx, std::string_view name) {
    if (name.size() == 1) {
        char upper = to_upper_ascii(name[0]);
        if (upper == 'Z' || upper == 'S' || upper == 'P' || upper == 'R') {
            return ctx.str_save(std::string_view(&upper, 1));
        }
    }
    return ctx.str_save(name);
}

// The whole item that starts at `start`, for the message that rejects it.
std::string_view item_at(const char* start) {
    const char* end = start;
    while (*end != '\0' && !is_field_space(*end)) ++end;
    return std::string_view(start, std::size_t(end - start));
}

}  // namespace

void set_section_info(LinkContext& ctx, const char* field) {
    std::vector<SecInfoEntry>& table = ctx.command.sec_info;
    table.clear();
    table.reserve(std::size_t(count_words(field)));
    const char* p = field;
    for (;;) {
        while (is_field_space(*p)) ++p;
        if (*p == '\0') return;
        const char* start = p;
        while (*p != '\0' && *p != '=' && !is_field_space(*p)) ++p;
        SecInfoEntry entry{save_section_name(ctx, std::string_view(start, std::size_t(p - start))),
                           NO_ADDRESS};
        if (*p == '=') {
            const char* digits = ++p;
            uint32_t address = get_hex(&p);
            if (p == digits) fail_section_item(ctx, item_at(start));
            if (*p != '\0' && !is_field_space(*p)) fail_section_item(ctx, item_at(start));
            // Compared as the unsigned value typed, so that 80000000 is out of
            // range rather than a negative address.
            if (address > uint32_t(ctx.options.max_address)) {
                error_exit(ERR_SECTION_INFO_RANGE, entry.name);
            }
            entry.address = int32_t(address);
        }
        table.push_back(entry);
    }
}

void fail_section_named_twice(LinkContext& ctx, const char* section) {
    LinkError error(ERR_INVALID_SECTION_INFO, {});
    if (explaining(ctx)) {
        error.add_detail("item \"" + std::string(section) +
                         "\": the section information names this section twice");
    }
    throw error;
}

}  // namespace orv
