#include "report/memory_map_svg.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "driver/link_context.h"
#include "placement/unit_values.h"
#include "regions/region_contributors.h"
#include "report/bank_strip.h"
#include "report/memory_usage.h"
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

std::string unit_title(const Unit& unit, const Section* section, bool bank, bool misfit) {
    const int64_t start = unit_address(unit);
    const int64_t size = unit_size(unit);
    std::string range = hex_address(start, bank);
    if (size > 0) range += "-" + hex_address(start + size - 1, bank);
    std::string title = module_label(unit) + ", section " + (section != nullptr ? section->name : unit.section_name) +
                        ", " + range + ", " + std::to_string(size) + (size == 1 ? " byte" : " bytes");
    if (misfit) title += "; does not fit its region";
    return title;
}

// The name a block has room for: the library module, or the file without
// its extension.
std::string short_module_name(const Unit& unit) {
    if (unit.member_name != nullptr) return unit.member_name;
    std::string name = unit.file_name != nullptr ? unit.file_name : "";
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool fits(const std::string& text, double width) { return double(text.size()) * LABEL_CHAR_WIDTH + 6 <= width; }

class BankPicture {
public:
    BankPicture(const LinkContext& ctx, const RegionLayout& layout, const ModuleColours& colours, int bank)
        : ctx_(ctx), layout_(layout), colours_(colours), bank_(bank), base_(bank * BANK_SIZE),
          bank_mode_(ctx.options.bank_mode != 0) {}

    std::string draw(const std::vector<const Unit*>& units) {
        const BankStrip strip = lay_out_bank(base_, units, ctx_.regions.regions);
        const double width = LEFT + STRIP_WIDTH + 20;
        const double height = STRIP_Y + LINE_PITCH * strip.lines + 8;
        svg_ += format("<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"bank\" width=\"%.0f\" height=\"%.0f\" "
                       "viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\" font-size=\"10\">\n",
                       width, height, width, height);
        definitions();
        svg_ += format("<rect width=\"%.0f\" height=\"%.0f\" fill=\"#FFFFFF\"/>\n", width, height);
        overview(units);
        for (const StripBlock& block : strip.blocks) {
            if (block.unit != nullptr) {
                unit_block(block);
            } else {
                free_block(block);
            }
        }
        line_addresses(strip);
        region_outlines(strip);
        svg_ += "</svg>\n";
        return std::move(svg_);
    }

private:
    std::string id(const char* name) const { return format("%s-%d", name, bank_); }
    bool misfit(const Unit& unit) const {
        std::size_t no = std::size_t(unit.unit_no);
        return no < layout_.misfit.size() && layout_.misfit[no] != 0;
    }

    void definitions() {
        svg_ += "<defs>\n";
        svg_ += format("<pattern id=\"%s\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
                       "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#F7F7F7\"/>"
                       "<rect width=\"2\" height=\"6\" fill=\"#DDDDDD\"/></pattern>\n",
                       id("free").c_str());
        svg_ += format("<pattern id=\"%s\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
                       "patternTransform=\"rotate(-45)\"><rect width=\"2.5\" height=\"6\" fill=\"%s\" "
                       "fill-opacity=\"0.75\"/></pattern>\n",
                       id("overflow").c_str(), RED);
        svg_ += "</defs>\n";
    }

    // The whole bank to scale, with the regions above it and an address
    // scale below.
    void overview(const std::vector<const Unit*>& units) {
        const double scale = STRIP_WIDTH / double(BANK_SIZE);
        svg_ += format("<text x=\"%.0f\" y=\"12\" font-weight=\"bold\">Bank %d to scale</text>\n", LEFT, bank_);
        svg_ += format("<rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\" fill=\"url(#%s)\" "
                       "stroke=\"#999999\"/>\n",
                       LEFT, OVERVIEW_Y, STRIP_WIDTH, OVERVIEW_HEIGHT, id("free").c_str());
        for (const Unit* unit : units) {
            const double x = LEFT + double(unit_address(*unit) - base_) * scale;
            const double w = std::fmax(1.0, double(unit_size(*unit)) * scale);
            svg_ += format("<rect class=\"overview-unit\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" "
                           "fill=\"%s\"/>\n",
                           x, OVERVIEW_Y, std::fmin(w, LEFT + STRIP_WIDTH - x), OVERVIEW_HEIGHT,
                           misfit(*unit) ? RED : colours_.of(*unit).c_str());
        }
        for (const Region& region : ctx_.regions.regions) {
            const int64_t from = std::max(region.start, base_);
            const int64_t to = std::min(region.end + 1, base_ + BANK_SIZE);
            if (from >= to) continue;
            svg_ += format("<rect class=\"overview-region\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" "
                           "fill=\"none\" stroke=\"%s\" stroke-width=\"1.5\"><title>%s</title></rect>\n",
                           LEFT + double(from - base_) * scale, OVERVIEW_Y - 3, double(to - from) * scale,
                           OVERVIEW_HEIGHT + 6, region_colour(region).c_str(), xml_text(region.name).c_str());
        }
        for (int quarter = 0; quarter <= 4; ++quarter) {
            const double x = LEFT + STRIP_WIDTH * quarter / 4;
            const int64_t address = base_ + (quarter == 4 ? BANK_SIZE - 1 : BANK_SIZE / 4 * quarter);
            const char* anchor = quarter == 0 ? "start" : quarter == 4 ? "end" : "middle";
            svg_ += format("<line x1=\"%.1f\" y1=\"%.0f\" x2=\"%.1f\" y2=\"%.0f\" stroke=\"#666666\"/>"
                           "<text x=\"%.1f\" y=\"%.0f\" text-anchor=\"%s\" fill=\"#444444\">%s</text>\n",
                           x, OVERVIEW_Y + OVERVIEW_HEIGHT, x, OVERVIEW_Y + OVERVIEW_HEIGHT + 5, x,
                           OVERVIEW_Y + OVERVIEW_HEIGHT + 16, anchor, hex_address(address, bank_mode_).c_str());
        }
        svg_ += format("<text x=\"%.0f\" y=\"%.0f\" font-weight=\"bold\">Bank %d block by block "
                       "(widths grow with the logarithm of the bytes)</text>\n",
                       LEFT, STRIP_Y - 6, bank_);
    }

    void unit_block(const StripBlock& block) {
        const Unit& unit = *block.unit;
        const bool bad = misfit(unit);
        const double x = LEFT + block.x;
        const double y = block_top(block.line);
        const Section* section = ctx_.sections.find_section(unit.section_name);
        svg_ += format("<g class=\"unit\" id=\"unit-%d\"><title>%s</title>", unit.unit_no,
                       xml_text(unit_title(unit, section, bank_mode_, bad)).c_str());
        svg_ += format("<rect x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" fill=\"%s\" stroke=\"%s\" "
                       "stroke-width=\"%s\"/>",
                       x, y, block.width, BLOCK_HEIGHT, colours_.of(unit).c_str(), bad ? RED : "#FFFFFF",
                       bad ? "2.5" : "1");
        if (bad) {
            svg_ += format("<rect x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" fill=\"url(#%s)\"/>", x, y,
                           block.width, BLOCK_HEIGHT, id("overflow").c_str());
        }
        const std::string name = short_module_name(unit);
        const std::string detail = std::string(unit.section_name) + " " + std::to_string(unit_size(unit));
        const char* ink = colours_.text_on(unit);
        if (fits(name, block.width)) {
            svg_ += format("<text x=\"%.2f\" y=\"%.0f\" fill=\"%s\">%s</text>", x + 3, y + 13, ink,
                           xml_text(name).c_str());
        }
        if (fits(detail, block.width)) {
            svg_ += format("<text x=\"%.2f\" y=\"%.0f\" fill=\"%s\" font-size=\"9\">%s</text>", x + 3, y + 26, ink,
                           xml_text(detail).c_str());
        }
        svg_ += "</g>\n";
    }

    void free_block(const StripBlock& block) {
        const double x = LEFT + block.x;
        const double y = block_top(block.line);
        const int64_t bytes = block.end - block.start;
        svg_ += format("<g class=\"free\"><title>free %s-%s, %lld bytes</title>", hex_address(block.start, bank_mode_).c_str(),
                       hex_address(block.end - 1, bank_mode_).c_str(), static_cast<long long>(bytes));
        svg_ += format("<rect x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" fill=\"url(#%s)\" "
                       "stroke=\"#CCCCCC\"/>",
                       x, y, block.width, BLOCK_HEIGHT, id("free").c_str());
        const std::string label = std::to_string(bytes) + " free";
        if (fits(label, block.width)) {
            svg_ += format("<text x=\"%.2f\" y=\"%.0f\" text-anchor=\"middle\" fill=\"#555555\">%s</text>",
                           x + block.width / 2, y + 20, label.c_str());
        }
        svg_ += "</g>\n";
    }

    void line_addresses(const BankStrip& strip) {
        int line = -1;
        for (const StripBlock& block : strip.blocks) {
            if (block.line == line) continue;
            line = block.line;
            svg_ += format("<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"end\" fill=\"#444444\">%s</text>\n", LEFT - 6,
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
                svg_ += format("<rect class=\"region\" x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" "
                               "fill=\"none\" stroke=\"%s\" stroke-width=\"2\"/>\n",
                               LEFT + stretch.x - 1, top - 3, stretch.width + 2, BLOCK_HEIGHT + 6, colour.c_str());
                if (first) {
                    // The full label where the outline has room for it, else the name alone.
                    std::string label = region.name + " " + (region.ram ? "RAM " : "ROM ") +
                                        hex_address(region.start, bank_mode_) + "-" +
                                        hex_address(region.end, bank_mode_);
                    if (!fits(label, stretch.width + 2)) label = region.name;
                    svg_ += format("<text x=\"%.2f\" y=\"%.0f\" fill=\"%s\" font-weight=\"bold\">%s</text>\n",
                                   LEFT + stretch.x, top - 5, colour.c_str(), xml_text(label).c_str());
                    first = false;
                }
            }
        }
    }

    const LinkContext& ctx_;
    const RegionLayout& layout_;
    const ModuleColours& colours_;
    int bank_;
    int64_t base_;
    bool bank_mode_;
    std::string svg_;
};

}  // namespace

std::string hex_address(int64_t address, bool bank_mode) {
    return format(bank_mode ? "%05llX" : "%04llX", static_cast<unsigned long long>(address));
}

std::string bank_svg(const LinkContext& ctx, const RegionLayout& layout, const ModuleColours& colours, int bank,
                     const std::vector<const Unit*>& units) {
    return BankPicture(ctx, layout, colours, bank).draw(units);
}

}  // namespace orv
