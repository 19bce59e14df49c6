#include "output/flash_image.h"

#include <algorithm>
#include <string>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "pass1/unit_place.h"
#include "command/image_options.h"
#include "pass2/finding_lines.h"
#include "pass2/hex_writer.h"
#include "placement/unit_values.h"

namespace orv {
namespace {

// A checksum's bytes are stored only when they lie within the address
// limit; one that does not is a listed finding already.
bool storable(const LinkContext& ctx, const ChecksumRequest& checksum) {
    return checksum.placed() && checksum.bytes().end <= ctx.options.max_address;
}

// The unit whose contents lie at `address`: the first by unit number whose
// span holds it.
const Unit* unit_at(const LinkContext& ctx, int64_t address) {
    for (const Unit* unit : ctx.sections.unit_table) {
        if (unit != nullptr && address >= unit_address(*unit) && address < unit_address(*unit) + unit_size(*unit)) {
            return unit;
        }
    }
    return nullptr;
}

void check_contents_under_checksums(LinkContext& ctx, const FlashImage& image) {
    for (const ChecksumRequest& checksum : ctx.image.checksums) {
        if (!storable(ctx, checksum)) continue;
        const AddressRange bytes = checksum.bytes();
        for (int64_t address = bytes.start; address <= bytes.end; ++address) {
            if (image.kinds[std::size_t(address)] != ImageByte::CONTENTS) continue;
            const Unit* unit = unit_at(ctx, address);
            std::string file = unit != nullptr && unit->file_name != nullptr ? unit->file_name : "";
            if (unit != nullptr && unit->member_name != nullptr) file += std::string(" ( ") + unit->member_name + " )";
            ctx.link_failed = 1;
            report_listed(ctx.console, ERR_CHECKSUM_ON_CONTENTS, checksum_description(ctx, checksum).c_str(),
                          unit != nullptr ? unit->section_name : "", file.c_str());
            if (unit != nullptr) place_finding(ctx.console, unit_place(*unit, uint32_t(address)));
            name_last_finding_line(ctx);
            break;
        }
    }
}

// The addresses to fill: the range given, or from the lowest to the highest
// byte written (contents and checksum places).
AddressRange fill_range(const LinkContext& ctx, const FlashImage& image) {
    return ctx.image.fill_ranged ? ctx.image.fill_range : held_span(image);
}

// The value's bytes in the order they are stored.
void store_value(FlashImage& image, const ChecksumRequest& checksum, uint32_t value) {
    const int count = checksum.model.value_bytes();
    for (int i = 0; i < count; ++i) {
        const int shift = 8 * (checksum.big_endian ? count - 1 - i : i);
        image.put(uint32_t(checksum.place + i), uint8_t(value >> shift), ImageByte::CHECKSUM);
    }
}

}  // namespace

AddressRange held_span(const FlashImage& image) {
    const auto held = [](ImageByte kind) { return kind != ImageByte::GAP; };
    const auto first = std::find_if(image.kinds.begin(), image.kinds.end(), held);
    if (first == image.kinds.end()) return {};
    const auto last = std::find_if(image.kinds.rbegin(), image.kinds.rend(), held);
    return {first - image.kinds.begin(), int64_t(image.kinds.size()) - 1 - (last - image.kinds.rbegin())};
}

void complete_flash_image(LinkContext& ctx) {
    FlashImage* image = ctx.output.image.get();
    if (image == nullptr) return;
    check_contents_under_checksums(ctx, *image);
    // The places are taken first, so that the fill leaves them out; a value
    // not yet computed reads as erased flash.
    for (const ChecksumRequest& checksum : ctx.image.checksums) {
        if (storable(ctx, checksum)) store_value(*image, checksum, 0xFFFFFFFFu);
    }
    ImageResults& results = ctx.output.image_results;
    if (ctx.image.fill) {
        const AddressRange range = fill_range(ctx, *image);
        results.fill_start = range.start;
        results.fill_end = range.end;
        for (int64_t address = results.fill_start; address <= results.fill_end; ++address) {
            if (image->kinds[std::size_t(address)] == ImageByte::GAP) {
                image->put(uint32_t(address), ctx.image.fill_value, ImageByte::FILL);
            }
        }
    }
    for (const ChecksumRequest& checksum : ctx.image.checksums) {
        const AddressRange range = checksum.range;
        const uint32_t value = compute_checksum(checksum.model, image->bytes.data() + range.start,
                                                std::size_t(range.end - range.start + 1));
        results.checksum_values.push_back(value);
        if (storable(ctx, checksum)) store_value(*image, checksum, value);
    }
}

void write_image_records(LinkContext& ctx) {
    const FlashImage* image = ctx.output.image.get();
    if (image == nullptr) return;
    const ImageResults& results = ctx.output.image_results;
    for (int64_t address = results.fill_start; address <= results.fill_end;) {
        if (image->kinds[std::size_t(address)] != ImageByte::FILL) {
            ++address;
            continue;
        }
        int64_t end = address;
        while (end <= results.fill_end && image->kinds[std::size_t(end)] == ImageByte::FILL) ++end;
        hex_write_block(ctx, uint32_t(address), image->bytes.data() + address, std::size_t(end - address));
        address = end;
    }
    for (const ChecksumRequest& checksum : ctx.image.checksums) {
        if (!storable(ctx, checksum)) continue;
        hex_write_block(ctx, uint32_t(checksum.place), image->bytes.data() + checksum.place,
                        std::size_t(checksum.model.value_bytes()));
    }
}

}  // namespace orv
