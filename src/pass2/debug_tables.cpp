#include "pass2/debug_tables.h"

#include <algorithm>
#include <cstdio>

#include "base/link_context.h"

namespace orv {
namespace {

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(value));
    return text;
}

}  // namespace

DebugTableBuilder::DebugTableBuilder(LinkContext& ctx, int32_t last_unit)
    : ctx_(ctx), first_unit_(uint32_t(ctx.reader.unit_base)), last_unit_(uint32_t(last_unit)) {}

void DebugTableBuilder::fault(std::string reason) {
    if (fault_.empty()) fault_ = std::move(reason);
}

void DebugTableBuilder::function(uint32_t number, const char* name, uint32_t unit, uint32_t start,
                                 uint32_t end) {
    if (unit < first_unit_ || unit > last_unit_) {
        fault("function " + std::string(name) + " lies in unit " + hex(unit) + ", which is not the module's");
    } else if (end < start) {
        fault("function " + std::string(name) + " ends at " + hex(end) + ", before its start " + hex(start));
    }
    DebugFunction function;
    function.number = number;
    function.name = ctx_.str_save(name);
    function.unit_no = int32_t(unit);
    function.start = start;
    function.end = end;
    functions_.push_back(function);
}

void DebugTableBuilder::source_file(uint32_t function, const char* name) {
    file_name_ = ctx_.str_save(name);
    file_function_ = function;
}

void DebugTableBuilder::line_entry(uint32_t line, uint32_t address) {
    SourceLine entry;
    entry.address = address;
    entry.line = line;
    entry.file = file_name_;
    entry.function = file_function_;
    lines_.push_back(entry);
}

void DebugTableBuilder::keep(const char* file, const char* member) {
    // Lines may come before their function's record: they are matched once
    // the module is read.
    std::unordered_map<uint32_t, std::size_t> by_number;
    std::vector<uint32_t> lowest(functions_.size());
    for (std::size_t i = 0; i < functions_.size(); ++i) {
        if (!by_number.emplace(functions_[i].number, i).second) {
            fault("function number " + hex(functions_[i].number) + " is given twice");
        }
    }
    for (SourceLine& line : lines_) {
        auto found = by_number.find(line.function);
        if (found == by_number.end()) {
            fault("source lines of function " + hex(line.function) + ", which the module does not define");
            break;
        }
        DebugFunction& function = functions_[found->second];
        line.unit_no = function.unit_no;
        // The function's first line is the one at its lowest address.
        if (function.source_file == nullptr || line.address < lowest[found->second]) {
            function.source_file = line.file;
            function.line = line.line;
            lowest[found->second] = line.address;
        }
    }
    if (!fault_.empty()) {
        drop(file, member, fault_);
        return;
    }
    DebugTables& tables = ctx_.debug;
    tables.functions.insert(tables.functions.end(), functions_.begin(), functions_.end());
    tables.lines.insert(tables.lines.end(), lines_.begin(), lines_.end());
}

void DebugTableBuilder::drop(const char* file, const char* member, std::string reason) {
    ctx_.debug.faults.push_back({file, member, std::move(reason)});
    functions_.clear();
    lines_.clear();
}

SourceLineIndex::SourceLineIndex(const DebugTables& tables, const SectionTable& sections) {
    entries_.reserve(tables.lines.size());
    for (const SourceLine& line : tables.lines) {
        const std::size_t no = std::size_t(line.unit_no);
        if (no >= sections.unit_table.size() || sections.unit_table[no] == nullptr) continue;
        const Unit& unit = *sections.unit_table[no];
        const uint32_t offset = unit.abs ? unit_offset(unit, line.address) : line.address;
        entries_.push_back({line.unit_no, offset, &line});
    }
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.unit_no != b.unit_no ? a.unit_no < b.unit_no : a.offset < b.offset;
    });
}

const SourceLine* SourceLineIndex::at(int32_t unit_no, uint32_t offset) const {
    // The first entry past (unit, offset); the one before it is the answer
    // when it is of the same unit.
    auto after = std::upper_bound(entries_.begin(), entries_.end(), std::pair(unit_no, offset),
                                  [](const std::pair<int32_t, uint32_t>& key, const Entry& entry) {
                                      return key.first != entry.unit_no ? key.first < entry.unit_no
                                                                        : key.second < entry.offset;
                                  });
    if (after == entries_.begin()) return nullptr;
    const Entry& before = *(after - 1);
    return before.unit_no == unit_no ? before.line : nullptr;
}

}  // namespace orv
