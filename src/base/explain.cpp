#include "base/explain.h"

#include <cstdio>
#include <cstring>

#include "base/diagnostics.h"
#include "base/input_faults.h"
#include "base/link_context.h"
#include "pass2/range_explain.h"

namespace orv {
namespace {

bool explaining(const LinkContext& ctx) { return ctx.options.explain != 0; }

std::string hex_text(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

// How many times a name stands in the relocatable-files field.
int times_listed(const LinkContext& ctx, const char* file) {
    int count = 0;
    for (const char* name : ctx.command.rel_file_names) {
        if (std::strcmp(name, file) == 0) ++count;
    }
    return count;
}

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

std::string module_name(const char* file, const char* member) {
    std::string text = file != nullptr ? file : "";
    if (member != nullptr) text += std::string("(") + member + ")";
    return text;
}

void explain_unresolved(LinkContext& ctx, const SymbolEntry& entry) {
    if (!explaining(ctx)) return;
    print_detail(ctx.console, "needed by " + module_name(entry.file_name, entry.member_name) +
                                  ", the first module that refers to \"" + entry.name + "\"");
}

void explain_multiple_definition(LinkContext& ctx, const SymbolEntry& entry) {
    if (!explaining(ctx) || entry.other_file == nullptr) return;
    if (std::strcmp(entry.file_name, entry.other_file) != 0) return;
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

void explain_program_size(LinkContext& ctx, const char* section, int64_t start, int64_t end,
                          int64_t limit) {
    if (!explaining(ctx)) return;
    const int digits = ctx.options.bank_mode ? 5 : 4;
    const uint64_t overshoot = uint64_t(end - limit);
    print_detail(ctx.console, "section " + std::string(section) + " runs from " +
                                  hex_text(uint64_t(start), digits) + " to " +
                                  hex_text(uint64_t(end - 1), digits) + ", " +
                                  std::to_string(overshoot) + " (" + hex_text(overshoot, 1) +
                                  "H) bytes beyond the last address " +
                                  hex_text(uint64_t(limit - 1), digits));
}

void fail_section_item(LinkContext& ctx, std::string_view item) {
    LinkError error(ERR_INVALID_SECTION_INFO, {});
    if (explaining(ctx)) {
        error.add_detail("item \"" + std::string(item) +
                         "\": expected NAME or NAME=hexaddress, such as P=C000");
    }
    throw error;
}

void fail_section_named_twice(LinkContext& ctx, const char* section) {
    LinkError error(ERR_INVALID_SECTION_INFO, {});
    if (explaining(ctx)) {
        error.add_detail("item \"" + std::string(section) +
                         "\": the section information names this section twice");
    }
    throw error;
}

void explain_fatal(LinkContext& ctx, LinkError& error) {
    if (!explaining(ctx) || error.is_silent()) return;
    // A run of range findings ends with the fatal error.
    end_range_findings(ctx);
    if (std::optional<InputFault> fault = locate_input_fault(ctx, error)) {
        error.add_detail(input_fault_text(*fault));
        ctx.explain.input_fault = std::move(fault);
    }
    // A library typed into the relocatable-files field gets ".ROV" added
    // behind its own extension and is then not found.
    if (error.number() == ERR_FILE_NOT_FOUND && ends_with(error.argument(), ".LIB.ROV") &&
        times_listed(ctx, error.argument().c_str()) > 0) {
        std::string library = error.argument().substr(0, error.argument().size() - 4);
        error.add_detail(library + " stands among the relocatable files: libraries go in the " +
                         "second field, after the first comma");
    }
}

}  // namespace orv
