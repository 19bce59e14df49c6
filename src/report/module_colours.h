#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "pass1/sections.h"
#include "report/module_index.h"

namespace orv {

// A colour for every module of the link, as "#RRGGBB". Modules of relocatable
// files take warm and green hues (35 to 185 degrees), library modules blue
// and violet ones (215 to 305), so that the two never meet; red stays free
// for what does not fit. Each palette's hues lie far enough apart to be told
// apart, and a module takes the hue farthest from those of its neighbours
// already coloured: the modules next to it on a bar, or next to it in the
// modules table.
class ModuleColours {
public:
    // `sequences` lists module numbers in the orders they are shown side by
    // side: each bar's units by address, the table's rows.
    ModuleColours(const ModuleIndex& modules, const std::vector<std::vector<std::size_t>>& sequences);

    const std::string& of(const Unit& unit) const;
    // True when white text reads better than black on the unit's colour.
    bool dark(const Unit& unit) const { return colour(unit).dark; }

private:
    struct Colour {
        std::string rgb;
        bool dark;
    };
    const Colour& colour(const Unit& unit) const;

    const ModuleIndex& modules_;
    std::vector<Colour> colours_;  // by module number
};

}  // namespace orv
