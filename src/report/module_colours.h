#pragma once
#include <string>
#include <vector>

#include "placement/sections.h"

namespace orv {

// A colour for every module of the link, as "#RRGGBB". Modules of relocatable
// files get hues far apart in the order they were read; the modules of one
// library share the library's hue in lighter and darker shades. Red stays
// free for what does not fit.
class ModuleColours {
public:
    explicit ModuleColours(const SectionTable& sections);

    const std::string& of(const Unit& unit) const;
    // Black or white, whichever reads better on the unit's colour.
    const char* text_on(const Unit& unit) const;

private:
    struct Colour {
        std::string rgb;
        bool dark;
    };
    const Colour& colour(const Unit& unit) const;

    std::vector<Colour> colours_;      // one per module
    std::vector<std::size_t> by_unit_; // unit_no -> index into colours_
};

// The key that tells modules apart: file, and library module when there is one.
std::string module_key(const Unit& unit);

}  // namespace orv
