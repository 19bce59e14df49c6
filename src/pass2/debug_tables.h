#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "pass1/sections.h"
#include "pass2/debug_records.h"
#include "pass2/debug_state.h"

namespace orv {

struct LinkContext;

// A unit-relative value of a debug record as an address: a relocatable
// unit's offsets count from the unit's start, an absolute unit's values
// are addresses already (as its public labels are).
inline uint32_t unit_address(const Unit& unit, uint32_t value) {
    return unit.abs ? value : uint32_t(unit.address) + value;
}

// The other way: the offset of an address into its unit.
inline uint32_t unit_offset(const Unit& unit, uint32_t address) {
    return address - uint32_t(unit.address);
}

// Collects one module's functions and source lines as the reader hands them
// over, and adds them to ctx.debug when the module's records are read whole.
// A function of a unit outside the module, one that ends before it starts,
// or lines of a function the module does not define leave the module's
// functions out, with the reason.
class DebugTableBuilder : public DebugRecordSink {
public:
    DebugTableBuilder(LinkContext& ctx, int32_t last_unit);

    void function(uint32_t number, const char* name, uint32_t unit, uint32_t start, uint32_t end) override;
    void source_file(uint32_t function, const char* name) override;
    void line_entry(uint32_t line, uint32_t address) override;

    // The module's records were read: its functions and lines join the
    // tables, or the module's fault does.
    void keep(const char* file, const char* member);
    // A record was damaged: nothing of the module joins the tables.
    void drop(const char* file, const char* member, std::string reason);

private:
    void fault(std::string reason);

    LinkContext& ctx_;
    uint32_t first_unit_;
    uint32_t last_unit_;
    std::vector<DebugFunction> functions_;
    std::vector<SourceLine> lines_;  // unit_no set when kept
    std::string fault_;
    const char* file_name_ = nullptr;
    uint32_t file_function_ = 0;
};

// The source line of an address: the last entry of a source-line table at
// or before it, in the unit that holds it. Built once the tables are
// complete (after pass 2); a finding can name its line through it.
class SourceLineIndex {
public:
    SourceLineIndex(const DebugTables& tables, const SectionTable& sections);

    // The line of `offset` into unit `unit_no`, or null when no entry of
    // that unit lies at or before it.
    const SourceLine* at(int32_t unit_no, uint32_t offset) const;

private:
    struct Entry {
        int32_t unit_no;
        uint32_t offset;
        const SourceLine* line;
    };
    std::vector<Entry> entries_;  // by unit, then offset, then table order
};

}  // namespace orv
