#pragma once
#include <string>
#include <vector>

#include "pass1/sections.h"
#include "report/module_index.h"

namespace orv {

// A colour for every module of the link, as "#RRGGBB". Modules of relocatable
// files get hues far apart in the order they were read; the modules of one
// library share the library's hue in lighter and darker shades. Red stays
// free for what does not fit.
class ModuleColours {
public:
    explicit ModuleColours(const ModuleIndex& modules);

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
