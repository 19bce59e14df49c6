#include "pass1/symbols.h"

#include "driver/diagnostics.h"

namespace orv {

void SymbolTable::enter_symbol(const SymbolEntry& incoming) {
    auto found = entries_.find(incoming.name);
    if (found == entries_.end()) {
        if (entries_.size() >= capacity_) internal_error("8");
        SymbolEntry entry;
        entry.name = incoming.name;
        entry.file_name = incoming.file_name;
        entry.member_name = incoming.member_name;
        entry.state = incoming.state;
        if (incoming.state != SYM_UNDEFINED) {
            entry.unit_no = incoming.unit_no;
            entry.value = incoming.value;
            entry.kind = incoming.kind;
            if (incoming.kind == SYM_BIT) entry.bit_no = incoming.bit_no;
            take_second_definer(entry, incoming);
        } else {
            ++undefined_count_;
        }
        entries_.emplace(std::string_view(entry.name), entry);
        return;
    }

    SymbolEntry& entry = found->second;
    // A library module's index hands over a name it defines twice as one
    // multiply defined entry: a definition that brings its second definer.
    bool definition = incoming.state != SYM_UNDEFINED;
    switch (entry.state) {
    case SYM_DEFINED:
        if (definition) {
            entry.state = SYM_MULTIPLE;
            entry.other_file = incoming.file_name;
            multiple_defined_ = true;
        }
        break;
    case SYM_UNDEFINED:
        if (definition) {
            entry.file_name = incoming.file_name;
            entry.member_name = incoming.member_name;
            entry.unit_no = incoming.unit_no;
            entry.value = incoming.value;
            entry.state = incoming.state;
            entry.kind = incoming.kind;
            if (incoming.kind == SYM_BIT) entry.bit_no = incoming.bit_no;
            take_second_definer(entry, incoming);
            --undefined_count_;
        }
        break;
    case SYM_MULTIPLE:
        break;
    default:
        internal_error("8.1");
    }
}

void SymbolTable::take_second_definer(SymbolEntry& entry, const SymbolEntry& incoming) {
    if (incoming.state != SYM_MULTIPLE) return;
    entry.other_file = incoming.other_file;
    multiple_defined_ = true;
}

SymbolEntry* SymbolTable::find_symbol(std::string_view name) {
    auto found = entries_.find(name);
    return found == entries_.end() ? nullptr : &found->second;
}

const SymbolEntry* SymbolTable::find_symbol(std::string_view name) const {
    auto found = entries_.find(name);
    return found == entries_.end() ? nullptr : &found->second;
}

}  // namespace orv
