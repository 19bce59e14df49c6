#pragma once
#include <cstddef>

namespace orv {

struct LinkContext;

// With --explain, --diagnostics-format=gnu or --sarif, a finding about a byte
// of a module's contents names its function and source line, from the
// module's functions and source-line tables. Those come after the contents
// in the module, so the module's findings are held until its debug records
// are read, and then printed with their lines.
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
    std::size_t first_function_ = 0;
    std::size_t first_line_ = 0;
};

// Whether findings name their source lines in this run.
bool findings_name_lines(const LinkContext& ctx);

}  // namespace orv
