#pragma once
#include <string>
#include <vector>

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "support/run_linker.h"

namespace orv::test {

// The image of a module with the given units and no contents; it defines
// `label` in its unit 0 and needs `externals`.
inline orvfixture::Bytes region_module(const std::vector<orvfixture::UnitSpec>& units, const std::string& label = "",
                                       const std::vector<std::string>& externals = {}) {
    orvfixture::ObjectWriter module;
    module.header("m.src").units(units);
    if (!label.empty()) module.labels(0, {{0, label}});
    if (!externals.empty()) module.externals(externals);
    module.end();
    return module.bytes();
}

}  // namespace orv::test
