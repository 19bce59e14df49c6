#include "report/memory_map_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "base/link_context.h"
#include "base/text_helpers.h"
#include "placement/unit_values.h"
#include "report/bank_strip.h"
#include "report/markup.h"
#include "report/memory_usage.h"
#include "report/report_debug.h"
#include "report/xml_text.h"

namespace orv {
namespace {

constexpr double LEFT = 70;          // room for the line addresses
constexpr double OVERVIEW_Y = 24;
constexpr double OVERVIEW_HEIGHT = 18;
constexpr double STRIP_Y = 84;       // first line of blocks
constexpr double LINE_PITCH = 58;
constexpr double LABEL_ROOM = 14;    // region names above the blocks
constexpr double BLOCK_HEIGHT = 32;
constexpr double LABEL_CHAR_WIDTH = 6.6;   // of the 10px labels
constexpr const char* RED = "#D00000";
constexpr const char* FILL_COLOUR = "#2E8B57";      // the filled addresses (--fill)
constexpr const char* CHECKSUM_COLOUR = "#E08A00";  // a checksum's bytes (--checksum)

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(length > 0 ? std::size_t(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, pattern, again);
    va_end(again);
    return text;
}

double block_top(int line) { return STRIP_Y + LINE_PITCH * line + LABEL_ROOM; }

std::string region_colour(const Region& region) { return region.ram ? "#1B6E3A" : "#1F3A93"; }

// The name a block has room for: the library module, or the file without
// its extension.
std::string_view short_module_name(const Unit& unit) {
    if (unit.member_name != nullptr) return unit.member_name;
    std::string_view name = unit.file_name != nullptr ? unit.file_name : "";
    return name.substr(0, name.rfind('.'));
}

std::size_t decimal_digits(int64_t value) {
    std::size_t digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

bool fits(std::size_t characters, double width) { return double(characters) * LABEL_CHAR_WIDTH + 6 <= width; }

class BankPicture {
public:
    BankPicture(Markup& markup, const LinkContext& ctx, const RegionLayout& layout, const ModuleColours& colours,
                int bank)
        : markup_(markup), ctx_(ctx), layout_(layout), colours_(colours), bank_(bank), base_(bank * BANK_SIZE),
          bank_mode_(ctx.options.bank_mode != 0), functions_(functions_by_unit(ctx)) {}

    void draw(const std::vector<const Unit*>& units) {
        const BankStrip strip = lay_out_bank(base_, units, ctx_.regions.regions);
        const double width = LEFT + STRIP_WIDTH + 20;
        const double height = STRIP_Y + LINE_PITCH * strip.lines + 8;
        markup_ << format("<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"bank\" width=\"%.0f\" height=\"%.0f\" "
                       "viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\" font-size=\"10\">\n",
                       width, height, width, height);
        definitions();
        markup_ << format("<rect width=\"%.0f\" height=\"%.0f\" fill=\"#FFFFFF\"/>\n", width, height);
        overview(units);
        // Each line of blocks is a group moved to its place, so that a block
        // carries only its own left edge and width.
        int line = -1;
        for (const StripBlock& block : strip.blocks) {
            if (block.line != line) {
                if (line >= 0) markup_ << "</g>\n";
                line = block.line;
                markup_ << "<g transform=\"translate(" << Coord{LEFT} << "," << Coord{block_top(line)} << ")\">\n";
            }
            if (block.unit != nullptr) {
                unit_block(block);
            } else {
                free_block(block);
            }
        }
        if (line >= 0) markup_ << "</g>\n";
        line_addresses(strip);
        region_outlines(strip);
        image_outlines(strip);
        markup_ << "</svg>\n";
    }

private:
    std::string id(const char* name) const { return format("%s-%d", name, bank_); }
    bool misfit(const Unit& unit) const {
        std::size_t no = std::size_t(unit.unit_no);
        return no < layout_.misfit.size() && layout_.misfit[no] != 0;
    }

    void definitions() {
        markup_ << "<defs>\n";
        markup_ << format("<pattern id=\"%s\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
                       "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#F7F7F7\"/>"
                       "<rect width=\"2\" height=\"6\" fill=\"#DDDDDD\"/></pattern>\n",
                       id("free").c_str());
        markup_ << format("<pattern id=\"%s\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
                       "patternTransform=\"rotate(-45)\"><rect width=\"2.5\" height=\"6\" fill=\"%s\" "
                       "fill-opacity=\"0.75\"/></pattern>\n",
                       id("overflow").c_str(), RED);
        markup_ << "</defs>\n";
        // What every block shares; a block that does not fit overrides the outline.
        markup_ << "<style>.unit rect { stroke: #FFFFFF; stroke-width: 1px; } .unit text { fill: #111111; } "
                   ".unit.dark text { fill: #FFFFFF; } .unit text.size { font-size: 9px; } "
                   ".free rect { stroke: #CCCCCC; } .free text { fill: #555555; text-anchor: middle; }</style>\n";
    }

    // The whole bank to scale, with the regions above it and an address
    // scale below.
    void overview(const std::vector<const Unit*>& units) {
        const double scale = STRIP_WIDTH / double(BANK_SIZE);
        markup_ << format("<text x=\"%.0f\" y=\"12\" font-weight=\"bold\">Bank %d to scale</text>\n", LEFT, bank_);
        markup_ << format("<rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\" fill=\"url(#%s)\" "
                       "stroke=\"#999999\"/>\n",
                       LEFT, OVERVIEW_Y, STRIP_WIDTH, OVERVIEW_HEIGHT, id("free").c_str());
        // Units closer together than a pixel merge into one mark; a mark that
        // holds a unit that does not fit is red.
        bool open = false;
        double run_x = 0, run_end = 0;
        std::string run_colour;
        auto close_run = [&] {
            if (!open) return;
            markup_ << "<rect class=\"overview-unit\" x=\"" << Coord{run_x} << "\" y=\"" << Coord{OVERVIEW_Y}
                    << "\" width=\"" << Coord{std::fmin(run_end, LEFT + STRIP_WIDTH) - run_x} << "\" height=\""
                    << Coord{OVERVIEW_HEIGHT} << "\" fill=\"" << run_colour << "\"/>\n";
            open = false;
        };
        for (const Unit* unit : units) {
            const double x = LEFT + double(unit_address(*unit) - base_) * scale;
            const double end = x + std::fmax(1.0, double(unit_size(*unit)) * scale);
            const std::string& colour = misfit(*unit) ? red_ : colours_.of(*unit);
            if (open && x <= run_end + 0.5 && (colour == run_colour || end - run_x < 1.5)) {
                if (colour == red_) run_colour = red_;
                run_end = std::fmax(run_end, end);
                continue;
            }
            close_run();
            open = true;
            run_x = x;
            run_end = end;
            run_colour = colour;
        }
        close_run();
        for (const Region& region : ctx_.regions.regions) {
            const int64_t from = std::max(region.start, base_);
            const int64_t to = std::min(region.end + 1, base_ + BANK_SIZE);
            if (from >= to) continue;
            markup_ << format("<rect class=\"overview-region\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" "
                           "fill=\"none\" stroke=\"%s\" stroke-width=\"1.5\"><title>%s</title></rect>\n",
                           LEFT + double(from - base_) * scale, OVERVIEW_Y - 3, double(to - from) * scale,
                           OVERVIEW_HEIGHT + 6, region_colour(region).c_str(), xml_text(region.name).c_str());
        }
        image_marks();
        for (int quarter = 0; quarter <= 4; ++quarter) {
            const double x = LEFT + STRIP_WIDTH * quarter / 4;
            const int64_t address = base_ + (quarter == 4 ? BANK_SIZE - 1 : BANK_SIZE / 4 * quarter);
            const char* anchor = quarter == 0 ? "start" : quarter == 4 ? "end" : "middle";
            markup_ << format("<line x1=\"%.1f\" y1=\"%.0f\" x2=\"%.1f\" y2=\"%.0f\" stroke=\"#666666\"/>"
                           "<text x=\"%.1f\" y=\"%.0f\" text-anchor=\"%s\" fill=\"#444444\">%s</text>\n",
                           x, OVERVIEW_Y + OVERVIEW_HEIGHT, x, OVERVIEW_Y + OVERVIEW_HEIGHT + 5, x,
                           OVERVIEW_Y + OVERVIEW_HEIGHT + 16, anchor, hex_address(address, bank_mode_).c_str());
        }
        markup_ << format("<text x=\"%.0f\" y=\"%.0f\" font-weight=\"bold\">Bank %d block by block "
                       "(widths grow with the logarithm of the bytes)</text>\n",
                       LEFT, STRIP_Y - 6, bank_);
    }

    // The filled addresses as a band under the bar, and each checksum's bytes
    // as a mark across it, to scale.
    void image_marks() {
        const double scale = STRIP_WIDTH / double(BANK_SIZE);
        const int digits = bank_mode_ ? 5 : 4;
        const ImageResults& results = ctx_.output.image_results;
        const auto clipped = [&](int64_t start, int64_t end, double& x, double& width) {
            const int64_t from = std::max(start, base_);
            const int64_t to = std::min(end + 1, base_ + BANK_SIZE);
            x = LEFT + double(from - base_) * scale;
            width = std::fmax(1.0, double(to - from) * scale);
            return from < to;
        };
        double x, width;
        if (ctx_.image.fill && clipped(results.fill_start, results.fill_end, x, width)) {
            markup_ << format("<rect class=\"overview-fill\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"3\" "
                              "fill=\"%s\"><title>filled with %02X: %s-%s</title></rect>\n",
                              x, OVERVIEW_Y + OVERVIEW_HEIGHT + 1, width, FILL_COLOUR, unsigned(ctx_.image.fill_value),
                              hex_text(uint64_t(results.fill_start), digits).c_str(),
                              hex_text(uint64_t(results.fill_end), digits).c_str());
        }
        for (const ChecksumRequest& checksum : ctx_.image.checksums) {
            const AddressRange bytes = checksum.bytes();
            if (!checksum.placed() || !clipped(bytes.start, bytes.end, x, width)) continue;
            markup_ << format("<rect class=\"overview-checksum\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" "
                              "height=\"%.0f\" fill=\"%s\"><title>checksum %s over %s-%s at %s-%s</title></rect>\n",
                              x - 1, OVERVIEW_Y - 4, width + 2, OVERVIEW_HEIGHT + 8, CHECKSUM_COLOUR,
                              xml_text(checksum.model_name).c_str(),
                              hex_text(uint64_t(checksum.range.start), digits).c_str(),
                              hex_text(uint64_t(checksum.range.end), digits).c_str(),
                              hex_text(uint64_t(bytes.start), digits).c_str(),
                              hex_text(uint64_t(bytes.end), digits).c_str());
        }
    }

    // The tooltip: module, section, first and last address, and size.
    void unit_title(const Unit& unit, bool bad) {
        const int64_t start = unit_address(unit);
        const int64_t size = unit_size(unit);
        const int digits = bank_mode_ ? 5 : 4;
        markup_ << "<title>";
        markup_.escaped(unit.file_name != nullptr ? unit.file_name : "");
        if (unit.member_name != nullptr) {
            markup_ << " ( ";
            markup_.escaped(unit.member_name) << " )";
        }
        markup_ << ", section ";
        markup_.escaped(unit.section_name) << ", ";
        markup_.hex(start, digits);
        if (size > 0) {
            markup_ << "-";
            markup_.hex(start + size - 1, digits);
        }
        markup_ << ", " << byte_count(size);
        if (bad) markup_ << "; does not fit its region";
        unit_functions(unit);
        markup_ << "</title>";
    }

    // The unit's functions, one to a line of the tooltip.
    void unit_functions(const Unit& unit) {
        const std::size_t no = std::size_t(unit.unit_no);
        if (no >= functions_.size()) return;
        for (const DebugFunction* function : functions_[no]) {
            markup_ << "\n";
            markup_.escaped(function->name) << " " << byte_count(function_size(*function));
        }
    }

    // A block within its line's group: its top edge is the group's.
    void unit_block(const StripBlock& block) {
        const Unit& unit = *block.unit;
        const bool bad = misfit(unit);
        if (colours_.dark(unit)) {
            markup_ << "<g class=\"unit dark\" id=\"unit-" << unit.unit_no << "\">";
        } else {
            markup_ << "<g class=\"unit\" id=\"unit-" << unit.unit_no << "\">";
        }
        unit_title(unit, bad);
        markup_ << "<rect x=\"" << Coord{block.x} << "\" width=\"" << Coord{block.width} << "\" height=\"32\" fill=\""
                << colours_.of(unit) << "\"";
        if (bad) markup_ << " style=\"stroke: #D00000; stroke-width: 2.5px\"";
        markup_ << "/>";
        if (bad) {
            markup_ << "<rect x=\"" << Coord{block.x} << "\" width=\"" << Coord{block.width}
                    << "\" height=\"32\" fill=\"url(#overflow-" << bank_ << ")\"/>";
        }
        const std::string_view name = short_module_name(unit);
        const std::string_view section = unit.section_name;
        if (fits(name.size(), block.width)) {
            markup_ << "<text x=\"" << Coord{block.x + 3} << "\" y=\"13\">";
            markup_.escaped(name) << "</text>";
        }
        if (fits(section.size() + 1 + decimal_digits(unit_size(unit)), block.width)) {
            markup_ << "<text class=\"size\" x=\"" << Coord{block.x + 3} << "\" y=\"26\">";
            markup_.escaped(section) << " " << unit_size(unit) << "</text>";
        }
        markup_ << "</g>\n";
    }

    void free_block(const StripBlock& block) {
        const int64_t bytes = block.end - block.start;
        const int digits = bank_mode_ ? 5 : 4;
        markup_ << "<g class=\"free\"><title>free ";
        markup_.hex(block.start, digits) << "-";
        markup_.hex(block.end - 1, digits) << ", " << byte_count(bytes) << "</title><rect x=\"" << Coord{block.x}
                                           << "\" width=\"" << Coord{block.width} << "\" height=\"32\" fill=\"url(#free-"
                                           << bank_ << ")\"/>";
        if (fits(decimal_digits(bytes) + 5, block.width)) {
            markup_ << "<text x=\"" << Coord{block.x + block.width / 2} << "\" y=\"20\">" << bytes << " free</text>";
        }
        markup_ << "</g>\n";
    }

    void line_addresses(const BankStrip& strip) {
        int line = -1;
        for (const StripBlock& block : strip.blocks) {
            if (block.line == line) continue;
            line = block.line;
            markup_ << format("<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"end\" fill=\"#444444\">%s</text>\n", LEFT - 6,
                           block_top(line) + 20, hex_address(block.start, bank_mode_).c_str());
        }
    }

    void region_outlines(const BankStrip& strip) {
        for (std::size_t r = 0; r < ctx_.regions.regions.size(); ++r) {
            const Region& region = ctx_.regions.regions[r];
            bool bad = false;
            for (std::size_t no = 0; no < layout_.unit_region.size(); ++no) {
                if (layout_.unit_region[no] == int(r) && layout_.misfit[no]) bad = true;
            }
            const std::string colour = bad ? RED : region_colour(region);
            bool first = true;
            for (const BankStrip::Stretch& stretch : strip.stretches(region.start, region.end + 1)) {
                const double top = block_top(stretch.line);
                markup_ << format("<rect class=\"region\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" "
                               "fill=\"none\" stroke=\"%s\" stroke-width=\"2\"/>\n",
                               LEFT + stretch.x - 1, top - 3, stretch.width + 2, BLOCK_HEIGHT + 6, colour.c_str());
                if (first) {
                    // The full label where the outline has room for it, else the name alone.
                    std::string label = region.name + " " + (region.ram ? "RAM " : "ROM ") +
                                        hex_address(region.start, bank_mode_) + "-" +
                                        hex_address(region.end, bank_mode_);
                    if (!fits(label.size(), stretch.width + 2)) label = region.name;
                    markup_ << format("<text x=\"%.2f\" y=\"%.0f\" fill=\"%s\" font-weight=\"bold\">%s</text>\n",
                                   LEFT + stretch.x, top - 5, colour.c_str(), xml_text(label).c_str());
                    first = false;
                }
            }
        }
    }

    // In the blocks: a band under the filled addresses, and an outline round
    // each checksum's bytes.
    void image_outlines(const BankStrip& strip) {
        const ImageResults& results = ctx_.output.image_results;
        if (ctx_.image.fill) {
            for (const BankStrip::Stretch& stretch : strip.stretches(results.fill_start, results.fill_end + 1)) {
                markup_ << format("<rect class=\"fill\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"3\" "
                                  "fill=\"%s\"/>\n",
                                  LEFT + stretch.x, block_top(stretch.line) + BLOCK_HEIGHT + 1, stretch.width,
                                  FILL_COLOUR);
            }
        }
        for (const ChecksumRequest& checksum : ctx_.image.checksums) {
            if (!checksum.placed()) continue;
            const AddressRange bytes = checksum.bytes();
            for (const BankStrip::Stretch& stretch : strip.stretches(bytes.start, bytes.end + 1)) {
                markup_ << format("<rect class=\"checksum\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" "
                                  "fill=\"none\" stroke=\"%s\" stroke-width=\"2\"/>\n",
                                  LEFT + stretch.x - 1, block_top(stretch.line) - 1, std::fmax(stretch.width, 2.0) + 2,
                                  BLOCK_HEIGHT + 2, CHECKSUM_COLOUR);
            }
        }
    }

    Markup& markup_;
    const LinkContext& ctx_;
    const RegionLayout& layout_;
    const ModuleColours& colours_;
    int bank_;
    int64_t base_;
    bool bank_mode_;
    const std::string red_ = RED;
    const std::vector<std::vector<const DebugFunction*>> functions_;
};

}  // namespace

std::string hex_address(int64_t address, bool bank_mode) {
    char text[16];
    return std::string(text, put_hex(text, static_cast<uint64_t>(address), bank_mode ? 5 : 4));
}

void draw_bank(Markup& markup, const LinkContext& ctx, const RegionLayout& layout, const ModuleColours& colours,
               int bank, const std::vector<const Unit*>& units) {
    BankPicture(markup, ctx, layout, colours, bank).draw(units);
}

}  // namespace orv
