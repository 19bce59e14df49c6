#include "command/region_declarations.h"

#include <optional>
#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "base/text_helpers.h"

namespace orv {
namespace {

[[noreturn]] void invalid_region(std::string_view declaration, const std::string& reason) {
    error_exit(ERR_REGION_DECLARATION, "\"" + std::string(declaration) + "\": " + reason);
}

// One to eight hexadecimal digits, nothing else.
std::optional<int64_t> parse_hex(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::optional<uint8_t> parse_kind(std::string_view text) {
    std::string upper;
    for (char c : text) upper += to_upper_ascii(c);
    if (upper == "ROM") return uint8_t(0);
    if (upper == "RAM") return uint8_t(1);
    return std::nullopt;
}

// NAME:KIND:START-END; the name is any text without a colon or blank.
std::optional<Region> parse_declaration(std::string_view text) {
    std::size_t first = text.find(':');
    if (first == std::string_view::npos || first == 0) return std::nullopt;
    std::size_t second = text.find(':', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    std::size_t dash = text.find('-', second + 1);
    if (dash == std::string_view::npos) return std::nullopt;
    std::optional<uint8_t> kind = parse_kind(text.substr(first + 1, second - first - 1));
    std::optional<int64_t> start = parse_hex(text.substr(second + 1, dash - second - 1));
    std::optional<int64_t> end = parse_hex(text.substr(dash + 1));
    if (!kind || !start || !end) return std::nullopt;
    return Region{std::string(text.substr(0, first)), *kind, *start, *end};
}

}  // namespace

void check_regions(LinkContext& ctx) {
    RegionTable& table = ctx.regions;
    const int64_t limit = ctx.options.max_address;
    for (const std::string& declaration : ctx.options.region_declarations) {
        std::optional<Region> region = parse_declaration(declaration);
        if (!region) invalid_region(declaration, "write NAME:ROM:START-END or NAME:RAM:START-END in hexadecimal");
        if (region->start > region->end) invalid_region(declaration, "START is above END");
        if (region->end > limit) invalid_region(declaration, "END is above " + hex_text(uint64_t(limit), 4));
        for (const Region& other : table.regions) {
            if (other.name == region->name) invalid_region(declaration, "the name " + other.name + " is declared twice");
            if (region->start <= other.end && other.start <= region->end) {
                invalid_region(declaration, "it shares addresses with region " + other.name);
            }
        }
        table.regions.push_back(*region);
    }
}

}  // namespace orv
