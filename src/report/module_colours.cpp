#include "report/module_colours.h"

#include <cmath>
#include <iterator>

#include "report/text_buffer.h"

namespace orv {
namespace {

// The hues of each palette, far enough apart for a reader to tell them
// apart at the palette's saturation and lightness.
constexpr double APP_HUES[] = {35, 56.4, 77.9, 99.3, 120.7, 142.1, 163.6, 185};
constexpr double LIBRARY_HUES[] = {215, 237.5, 260, 282.5, 305};

struct Rgb {
    double r, g, b;
};

Rgb from_hsl(double hue, double saturation, double lightness) {
    const double c = (1.0 - std::fabs(2.0 * lightness - 1.0)) * saturation;
    const double h = hue / 60.0;
    const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    Rgb rgb{0, 0, 0};
    if (h < 1) rgb = {c, x, 0};
    else if (h < 2) rgb = {x, c, 0};
    else if (h < 3) rgb = {0, c, x};
    else if (h < 4) rgb = {0, x, c};
    else if (h < 5) rgb = {x, 0, c};
    else rgb = {c, 0, x};
    const double m = lightness - c / 2.0;
    return {rgb.r + m, rgb.g + m, rgb.b + m};
}

std::string hex_colour(const Rgb& rgb) {
    auto channel = [](double v) { return unsigned(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255.0)); };
    char text[8] = {'#'};
    put_hex(text + 1, (channel(rgb.r) << 16) | (channel(rgb.g) << 8) | channel(rgb.b), 6);
    return std::string(text, 7);
}

bool is_dark(const Rgb& rgb) { return 0.2126 * rgb.r + 0.7152 * rgb.g + 0.0722 * rgb.b < 0.45; }

}  // namespace

ModuleColours::ModuleColours(const ModuleIndex& modules, const std::vector<std::vector<std::size_t>>& sequences)
    : modules_(modules) {
    const std::size_t count = modules.first.size();
    std::vector<std::vector<std::size_t>> neighbours(count);
    for (const std::vector<std::size_t>& sequence : sequences) {
        for (std::size_t i = 1; i < sequence.size(); ++i) {
            const std::size_t a = sequence[i - 1];
            const std::size_t b = sequence[i];
            if (a == b || a >= count || b >= count) continue;
            neighbours[a].push_back(b);
            neighbours[b].push_back(a);
        }
    }
    std::vector<double> hue(count, -1.0);
    std::vector<int> uses_app(std::size(APP_HUES), 0);
    std::vector<int> uses_library(std::size(LIBRARY_HUES), 0);
    std::size_t next_app = 0;
    std::size_t next_library = 0;
    for (std::size_t m = 0; m < count; ++m) {
        const bool library = modules.first[m]->member_name != nullptr;
        const double* hues = library ? LIBRARY_HUES : APP_HUES;
        const std::size_t hue_count = library ? std::size(LIBRARY_HUES) : std::size(APP_HUES);
        std::vector<int>& uses = library ? uses_library : uses_app;
        std::size_t& next = library ? next_library : next_app;
        // The hue farthest from the neighbours' hues; among equals the one
        // used least, then the next in turn, so that colours go round.
        std::size_t best = 0;
        double best_distance = -1.0;
        for (std::size_t k = 0; k < hue_count; ++k) {
            const std::size_t candidate = (next + k) % hue_count;
            double distance = 360.0;
            for (std::size_t n : neighbours[m]) {
                const bool same_palette = (modules.first[n]->member_name != nullptr) == library;
                if (hue[n] >= 0 && same_palette) distance = std::fmin(distance, std::fabs(hue[n] - hues[candidate]));
            }
            if (distance > best_distance || (distance == best_distance && uses[candidate] < uses[best])) {
                best = candidate;
                best_distance = distance;
            }
        }
        hue[m] = hues[best];
        ++uses[best];
        next = (best + 3) % hue_count;
        const Rgb rgb = library ? from_hsl(hue[m], 0.55, 0.52) : from_hsl(hue[m], 0.60, 0.66);
        colours_.push_back(Colour{hex_colour(rgb), is_dark(rgb)});
    }
    if (colours_.empty()) colours_.push_back(Colour{"#BBBBBB", false});
}

const ModuleColours::Colour& ModuleColours::colour(const Unit& unit) const {
    const std::size_t module = modules_.of(unit);
    return colours_[module < colours_.size() ? module : 0];
}

const std::string& ModuleColours::of(const Unit& unit) const { return colour(unit).rgb; }

}  // namespace orv
