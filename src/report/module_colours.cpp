#include "report/module_colours.h"

#include <cmath>
#include <unordered_map>

#include "report/text_buffer.h"

namespace orv {
namespace {

// Successive hues a golden angle apart stay distinct for many modules; the
// reds and pinks outside 35..315 degrees are left to what does not fit.
double hue_of(int n) { return 35.0 + std::fmod(double(n) * 137.508, 280.0); }

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

ModuleColours::ModuleColours(const ModuleIndex& modules) : modules_(modules) {
    int next_hue = 0;
    std::unordered_map<const char*, std::pair<double, int>> libraries;  // hue, modules so far
    for (const Unit* unit : modules.first) {
        Rgb rgb{};
        if (unit->member_name == nullptr) {
            rgb = from_hsl(hue_of(next_hue++), 0.60, 0.66);
        } else {
            auto [library, added] = libraries.emplace(unit->file_name, std::make_pair(0.0, 0));
            if (added) library->second.first = hue_of(next_hue++);
            const int shade = library->second.second++ % 5;
            rgb = from_hsl(library->second.first, 0.70, 0.36 + 0.09 * shade);
        }
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
