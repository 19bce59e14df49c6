#include "pass1/symbol_report.h"

#include <cstring>
#include <string>
#include <utility>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "base/name_hints.h"
#include "command/output_collisions.h"
#include "library/why_extract.h"
#include "pass1/linker_symbols.h"

namespace orv {
namespace {

// Error 9: the module that first referred to the name.
void explain_unresolved(LinkContext& ctx, const SymbolEntry& entry) {
    if (!explaining(ctx)) return;
    print_detail(ctx.console, "needed by " + module_name(entry.file_name, entry.member_name) +
                                  ", the first module that refers to \"" + entry.name + "\"");
    // A defined name of nearly the same spelling is likely the one meant.
    for (const SymbolEntry* other : ctx.symbols.in_name_order()) {
        if (other->state == SYM_UNDEFINED || !likely_meant(entry.name, other->name)) continue;
        print_detail(ctx.console, "did you mean \"" + std::string(other->name) + "\", defined in " +
                                      module_name(other->file_name, other->member_name) + "?");
        return;
    }
}

// Error 10: both definers in one file, because it is given twice or because
// a library module's index holds the name twice.
void explain_multiple_definition(LinkContext& ctx, const SymbolEntry& entry) {
    const char* other_file = ctx.symbols.second_definer(entry);
    if (!explaining(ctx) || other_file == nullptr) return;
    if (std::strcmp(entry.file_name, other_file) != 0) return;
    if (times_listed(ctx, entry.file_name) > 1) {
        print_detail(ctx.console, std::string(entry.file_name) +
                                      " is given twice in the relocatable files: each copy defines it");
    } else if (entry.member_name != nullptr) {
        print_detail(ctx.console, "the index of library module " +
                                      module_name(entry.file_name, entry.member_name) +
                                      " holds the name twice");
    } else {
        print_detail(ctx.console, "both definitions come from " + std::string(entry.file_name));
    }
}

FindingPlace definer_place(const char* file, const char* member) {
    FindingPlace place;
    if (file != nullptr) place.file = file;
    place.module = module_name(file, member);
    return place;
}

}  // namespace

void report_symbol_errors(LinkContext& ctx) {
    for (const SymbolEntry* entry : ctx.symbols.in_name_order()) {
        if (entry->state == SYM_UNDEFINED) {
            report_listed(ctx.console, ERR_UNRESOLVED, entry->name, entry->file_name);
            place_finding(ctx.console, definer_place(entry->file_name, entry->member_name));
            explain_unresolved(ctx, *entry);
            explain_missing_section(ctx, *entry);
        } else if (entry->state == SYM_MULTIPLE) {
            // --defsym defines its names before any module is read; a module
            // that defines one too is named first, and --defsym as the other.
            const char* first = entry->file_name;
            const char* other = ctx.symbols.second_definer(*entry);
            if (first == ctx.linker_symbols.defsym_definer) std::swap(first, other);
            report_listed(ctx.console, ERR_MULTIPLE_DEFINED, entry->name, first, other);
            place_finding(ctx.console, definer_place(first, first == entry->file_name ? entry->member_name : nullptr));
            if (other != nullptr) {
                relate_finding(ctx.console, {"the other definition of \"" + std::string(entry->name) + "\"",
                                             definer_place(other, nullptr)});
            }
            explain_multiple_definition(ctx, *entry);
        }
    }
}

void fail_with_symbol_errors(LinkContext& ctx) {
    report_symbol_errors(ctx);
    // The modules taken in before the search gave up explain the report too.
    check_output_collisions(ctx);
    write_why_extract(ctx);
    throw LinkError::silent_exit(1);
}

}  // namespace orv
