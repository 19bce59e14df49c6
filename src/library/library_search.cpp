#include "library/library_search.h"

#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "library/library_reader.h"
#include "pass1/input_faults.h"
#include "pass1/symbol_report.h"

namespace orv {
namespace {

// Libraries named on the command line may be joined with the library
// directory while the two lengths stay below this; requested libraries,
// whose names come from a module, only up to REQUESTED_LIMIT.
constexpr std::size_t COMMAND_LINE_LIMIT = 512;
constexpr std::size_t REQUESTED_LIMIT = 255;

// The joined path is held like any linker name: 511 characters at most.
constexpr std::size_t PATH_LIMIT = 511;

bool ends_in_separator(std::string_view dir) {
    char last = dir.back();
    return last == ':' || last == '\\' || last == '/';
}

// Opens a library by the search rule. A library not yet found is looked for
// in the library directory first; the path that opens it replaces its stored
// name, so later cycles, pass 2 and messages all use that path.
ImageCursor open_library(LinkContext& ctx, const char*& name, int& found,
                                          bool requested) {
    std::string_view dir = ctx.pass1.library_dir != nullptr ? ctx.pass1.library_dir : "";
    std::string_view stored = name;
    if (found == 0 && !dir.empty()) {
        std::size_t lengths = stored.size() + dir.size();
        bool within = requested ? lengths <= REQUESTED_LIMIT : lengths < COMMAND_LINE_LIMIT;
        if (within) {
            std::string joined(dir);
            if (!ends_in_separator(dir)) joined += '\\';
            joined += stored;
            if (joined.size() <= PATH_LIMIT) {
                if (const std::string_view* image = ctx.inputs.open(joined)) {
                    name = ctx.str_save(joined);
                    ctx.opened_inputs.note(name);
                    found = 1;
                    return ImageCursor::over_kept_image(*image);
                }
            }
        }
    }
    const std::string_view* image = ctx.inputs.open(stored);
    if (image == nullptr) error_exit(ERR_FILE_NOT_FOUND, stored);
    ctx.opened_inputs.note(stored);
    found = 1;
    return ImageCursor::over_kept_image(*image);
}

// Reads one library of the cycle. Returns true when pass 1 is complete:
// nothing is unresolved any more and no name is defined twice. When nothing
// is unresolved but a name is defined twice, the run ends here.
bool search_library(LinkContext& ctx, const char*& name, int& found, bool requested) {
    ImageCursor file = open_library(ctx, name, found, requested);
    ctx.reader.current_file = name;
    {
        InputInUse reading(ctx, name, file);
        read_library(ctx, file);
    }
    if (ctx.symbols.has_unresolved()) return false;
    if (ctx.symbols.multiple_defined()) fail_with_symbol_errors(ctx);
    return true;
}

// Whether a name entered since the table held `names_before` names is
// still undefined. States never return to undefined, so a name undefined
// now that is older was undefined for the whole time since.
bool undefined_since(const SymbolTable& symbols, std::size_t names_before) {
    for (std::size_t i = names_before; i < symbols.size(); ++i) {
        if (symbols.entry(i).state == SYM_UNDEFINED) return true;
    }
    return false;
}

}  // namespace

void read_libraries(LinkContext& ctx) {
    CommandState& command = ctx.command;
    Pass1State& state = ctx.pass1;
    if (command.lib_file_flags.size() < command.lib_file_names.size()) {
        command.lib_file_flags.resize(command.lib_file_names.size(), 0);
    }
    for (;;) {
        ++ctx.stats.search_cycles;
        const std::size_t names_before = ctx.symbols.size();
        state.member_added = 0;
        state.library_index = 0;
        for (std::size_t i = 0; i < command.lib_file_names.size(); ++i) {
            if (search_library(ctx, command.lib_file_names[i], command.lib_file_flags[i], false)) return;
            ++state.library_index;
        }
        if (!ctx.options.opt_no_request) {
            RequestedLib* node = ctx.reader.requested_libs;
            for (int i = 0; i < ctx.reader.requested_lib_count && node != nullptr; ++i, node = node->next) {
                if (search_library(ctx, node->name, node->found, true)) return;
                ++state.library_index;
            }
        }
        // A cycle that takes nothing in cannot resolve anything more.
        if (!state.member_added) return;
        // Names left to --section-symbols stay undefined to the end. When
        // every undefined name was so when the cycle began, each was offered
        // to every entry not taken in, and another cycle would take nothing.
        if (ctx.options.section_symbols && !undefined_since(ctx.symbols, names_before)) return;
    }
}

}  // namespace orv
