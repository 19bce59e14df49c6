#include "command/image_options.h"

#include <optional>
#include <string_view>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
#include "command/output_names.h"

namespace orv {
namespace {

[[noreturn]] void invalid_option(std::string_view option, std::string_view value, const std::string& reason) {
    error_exit(ERR_IMAGE_OPTION, "\"--" + std::string(option) + "=" + std::string(value) + "\": " + reason);
}

std::optional<int64_t> parse_address(std::string_view text) {
    std::optional<uint32_t> value = parse_hex_value(text);
    return value ? std::optional<int64_t>(*value) : std::nullopt;
}

// START-END, hexadecimal and inclusive, within `limit`. On a bad text, none,
// and `reason` says what is wrong.
std::optional<AddressRange> parse_range(std::string_view text, int64_t limit, std::string& reason) {
    const std::size_t dash = text.find('-');
    std::optional<int64_t> start = dash == std::string_view::npos ? std::nullopt : parse_address(text.substr(0, dash));
    std::optional<int64_t> end = dash == std::string_view::npos ? std::nullopt : parse_address(text.substr(dash + 1));
    if (!start || !end) {
        reason = "write the range as START-END in hexadecimal";
        return std::nullopt;
    }
    if (*start > *end) {
        reason = "START is above END";
        return std::nullopt;
    }
    if (*end > limit) {
        reason = "END is above " + hex_text(uint64_t(limit), 4);
        return std::nullopt;
    }
    return AddressRange{*start, *end};
}

// The range after the "@" at `at` of an option's value, when there is one,
// within the address limit.
void read_range_after(const LinkContext& ctx, std::string_view option, std::string_view value, std::size_t at,
                      bool& ranged, AddressRange& range) {
    if (at == std::string_view::npos) return;
    std::string reason;
    std::optional<AddressRange> parsed = parse_range(value.substr(at + 1), ctx.options.max_address, reason);
    if (!parsed) invalid_option(option, value, reason);
    ranged = true;
    range = *parsed;
}

// BYTE or BYTE@START-END.
void read_fill(LinkContext& ctx, std::string_view value) {
    ImageRequest& image = ctx.image;
    const std::size_t at = value.find('@');
    std::optional<int64_t> byte = parse_address(value.substr(0, at));
    if (!byte || *byte > 0xFF) invalid_option("fill", value, "BYTE must be hexadecimal, 00 to FF");
    image.fill = true;
    image.fill_value = uint8_t(*byte);
    read_range_after(ctx, "fill", value, at, image.fill_ranged, image.fill_range);
}

// FILE or FILE@START-END: what follows the last "@" is the range.
void read_binary(LinkContext& ctx, std::string_view value) {
    ImageRequest& image = ctx.image;
    const std::size_t at = value.rfind('@');
    image.binary_file = std::string(value.substr(0, at));
    if (image.binary_file.empty()) invalid_option("binary", value, "FILE is missing");
    read_range_after(ctx, "binary", value, at, image.binary_ranged, image.binary_range);
}

// A place that is no address names a label: any text without blanks, ":" or
// "@". (A name of hexadecimal digits alone is taken for an address first.)
bool is_label_name(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (is_field_space(c) || c == ':' || c == '@') return false;
    }
    return true;
}

// MODEL@START-END:PLACE or MODEL@START-END:PLACE:be.
ChecksumRequest read_checksum(std::string_view value) {
    const std::string form = "write MODEL@START-END:PLACE or MODEL@START-END:PLACE:be";
    ChecksumRequest checksum;
    checksum.text = std::string(value);
    const std::size_t at = value.find('@');
    if (at == std::string_view::npos) invalid_option("checksum", value, form);
    const std::string_view model = value.substr(0, at);
    checksum.model_name = std::string(model);
    if (model.find(':') != std::string_view::npos) {
        std::string reason;
        std::optional<ChecksumModel> parsed = parse_crc_parameters(model, reason);
        if (!parsed) invalid_option("checksum", value, reason);
        checksum.model = *parsed;
    } else if (std::optional<ChecksumModel> named = find_checksum_model(model)) {
        checksum.model = *named;
    } else {
        invalid_option("checksum", value,
                       "no checksum model " + std::string(model) + " (see --help, or write crc:WIDTH:POLY:INIT:REFIN:REFOUT:XOROUT)");
    }

    std::string_view rest = value.substr(at + 1);
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) invalid_option("checksum", value, form);
    std::string_view place = rest.substr(colon + 1);
    if (place.size() > 3 && place.substr(place.size() - 3) == ":be") {
        checksum.big_endian = true;
        place.remove_suffix(3);
    }
    // The address limit is a rule of its own for a checksum (error 40).
    std::string reason;
    std::optional<AddressRange> range = parse_range(rest.substr(0, colon), INT64_MAX, reason);
    if (!range) invalid_option("checksum", value, reason);
    checksum.range = *range;
    if (std::optional<int64_t> address = parse_address(place)) {
        checksum.place = *address;
    } else if (is_label_name(place)) {
        checksum.place_label = std::string(place);
    } else {
        invalid_option("checksum", value, "PLACE must be a hexadecimal address or a global label");
    }
    return checksum;
}

// A broken rule: fatal at the command, listed after placement.
// At placement the finding is about the byte the checksum's label names.
void break_rule(LinkContext& ctx, RuleStage stage, int number, const std::string& argument,
                const ChecksumRequest& about) {
    if (stage == RuleStage::COMMAND) error_exit(number, argument);
    ctx.link_failed = 1;
    report_listed(ctx.console, number, argument.c_str());
    if (about.label_place.unit_no >= 0) place_finding(ctx.console, about.label_place);
}

// Whether this stage decides a rule that involves these checksums: the
// command those placed at addresses alone, placement any placed at a label.
bool decides(RuleStage stage, const ChecksumRequest& a, const ChecksumRequest& b) {
    const bool labels = !a.place_label.empty() || !b.place_label.empty();
    return (stage == RuleStage::PLACEMENT) == labels;
}

}  // namespace

std::string checksum_description(const LinkContext& ctx, const ChecksumRequest& checksum) {
    std::string text = "\"" + checksum.text + "\"";
    if (!checksum.placed()) return text;
    const int digits = ctx.options.bank_mode ? 5 : 4;
    const AddressRange bytes = checksum.bytes();
    return text + " at " + hex_text(uint64_t(bytes.start), digits) + "-" + hex_text(uint64_t(bytes.end), digits);
}

void check_image_options(LinkContext& ctx) {
    const Options& options = ctx.options;
    if (options.fill_option != nullptr) read_fill(ctx, options.fill_option);
    if (options.binary_option != nullptr) read_binary(ctx, options.binary_option);
    if (options.srec_option != nullptr) ctx.image.srec_file = options.srec_option;
    for (const std::string& value : options.checksum_options) ctx.image.checksums.push_back(read_checksum(value));
    check_checksum_rules(ctx, RuleStage::COMMAND);
}

void check_image_file_names(const LinkContext& ctx) {
    const ImageRequest& image = ctx.image;
    if (image.binary_file.empty() && image.srec_file.empty()) return;
    const std::vector<OutputFileName> names = output_file_names(ctx);
    // The image files come last; each must differ from every file before it.
    const std::size_t first_image = names.size() - std::size_t(!image.binary_file.empty()) -
                                    std::size_t(!image.srec_file.empty());
    for (std::size_t i = first_image; i < names.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (names[j].host != names[i].host) continue;
            const bool binary = i == first_image && !image.binary_file.empty();
            invalid_option(binary ? "binary" : "srec", binary ? image.binary_file : image.srec_file,
                           names[j].shown + " is another output file of this link");
        }
    }
}

void check_checksum_rules(LinkContext& ctx, RuleStage stage) {
    const int64_t limit = ctx.options.max_address;
    const std::vector<ChecksumRequest>& checksums = ctx.image.checksums;
    for (std::size_t i = 0; i < checksums.size(); ++i) {
        const ChecksumRequest& checksum = checksums[i];
        const std::string description = checksum_description(ctx, checksum);
        if (stage == RuleStage::COMMAND && checksum.range.end > limit) {
            break_rule(ctx, stage, ERR_CHECKSUM_LIMIT, description, checksum);
        }
        if (!decides(stage, checksum, checksum)) continue;
        if (checksum.bytes().end > limit) {
            break_rule(ctx, stage, ERR_CHECKSUM_LIMIT, description, checksum);
        } else if (checksum.bytes().meets(checksum.range)) {
            break_rule(ctx, stage, ERR_CHECKSUM_IN_RANGE, description, checksum);
        }
    }
    for (std::size_t i = 0; i < checksums.size(); ++i) {
        for (std::size_t j = i + 1; j < checksums.size(); ++j) {
            const ChecksumRequest& a = checksums[i];
            const ChecksumRequest& b = checksums[j];
            if (decides(stage, a, b) && a.bytes().meets(b.bytes())) {
                break_rule(ctx, stage, ERR_CHECKSUM_OVERLAP,
                           checksum_description(ctx, a) + " and " + checksum_description(ctx, b),
                           a.place_label.empty() ? b : a);
            }
        }
    }
}

}  // namespace orv
