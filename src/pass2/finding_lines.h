#pragma once
#include <cstddef>

#include "base/explain.h"

namespace orv {

struct LinkContext;

// With --explain, --diagnostics-format=gnu or --sarif, a finding about a byte
// of a module's contents names its function and source line, from the
// module's functions and source-line tables. Those come after the contents
// in the module, so the module's findings are held until its debug records
// are read, and then printed with their lines. While placement's findings
// are held (hold_placement_findings) the module's findings get their lines
// all the same, and wait with them.
class ModuleFindingLines {
public:
    explicit ModuleFindingLines(LinkContext& ctx);
    ModuleFindingLines(const ModuleFindingLines&) = delete;
    ModuleFindingLines& operator=(const ModuleFindingLines&) = delete;

    // The module's tables were read (or left out): its findings get their
    // lines and are printed.
    void release();

private:
    LinkContext& ctx_;
    bool active_;
    bool outer_hold_ = false;
    std::size_t first_finding_ = 0;
    std::size_t first_function_ = 0;
    std::size_t first_line_ = 0;
};

// Placement's findings about a byte of a module (a unit past its region's
// end or outside every region, a checksum placed at a label) can name their
// lines only once pass 2 has read every module's tables, so placement holds
// them, and pass 2's findings after them, to the end of pass 2: this gives
// the held findings their lines and prints them.
void release_placement_findings(LinkContext& ctx);

// With findings naming lines: gives the finding listed last, about a byte
// of a unit, its function and source line from the complete tables (after
// pass 2), with the --explain line.
void name_last_finding_line(LinkContext& ctx);

}  // namespace orv
