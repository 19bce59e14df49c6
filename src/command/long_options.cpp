#include "command/long_options.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "base/name_hints.h"
#include "command/symbol_definitions.h"
#include "command/quoted_words.h"

namespace orv {
namespace {

enum class Value { NONE, REQUIRED };

// One long option: its name without the dashes, whether it takes "=VALUE",
// and what it sets. `value` is the text after "=", as typed.
// Options whose messages show the whole option are applied with `word` too.
struct LongOption {
    std::string_view name;
    Value value;
    void (*apply)(LinkContext& ctx, std::string_view value);
    void (*apply_word)(LinkContext& ctx, std::string_view word, std::string_view value) = nullptr;
};

void set_diagnostics_format(LinkContext& ctx, std::string_view word, std::string_view value) {
    if (value == "classic") {
        ctx.findings.format = DiagnosticsFormat::CLASSIC;
    } else if (value == "gnu") {
        ctx.findings.format = DiagnosticsFormat::GNU;
    } else {
        error_exit(ERR_INVALID_PARAMETER, word);
    }
}

void set_orphan_handling(LinkContext& ctx, std::string_view word, std::string_view mode) {
    if (mode == "place") {
        ctx.options.orphan_handling = OrphanHandling::PLACE;
    } else if (mode == "warn") {
        ctx.options.orphan_handling = OrphanHandling::WARN;
    } else if (mode == "error") {
        ctx.options.orphan_handling = OrphanHandling::ERROR;
    } else {
        error_exit(ERR_INVALID_PARAMETER, word);
    }
}

const LongOption LONG_OPTIONS[] = {
    {"help", Value::NONE, [](LinkContext& ctx, std::string_view) { ctx.options.ask_help = 1; }},
    {"version", Value::NONE, [](LinkContext& ctx, std::string_view) { ctx.options.ask_version = 1; }},
    {"why-extract", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view file) { ctx.options.why_extract = ctx.str_save(file); }},
    {"cref", Value::NONE, [](LinkContext& ctx, std::string_view) { ctx.options.cref = 1; }},
    {"explain", Value::NONE, [](LinkContext& ctx, std::string_view) { ctx.options.explain = 1; }},
    {"region", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view value) { ctx.options.region_declarations.emplace_back(value); }},
    {"print-memory-usage", Value::NONE, [](LinkContext& ctx, std::string_view) { ctx.options.print_memory_usage = 1; }},
    {"link-report", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view value) { ctx.options.link_report = ctx.str_save(value); }},
    {"memory-map", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view value) { ctx.options.memory_map = ctx.str_save(value); }},
    {"stats", Value::NONE, [](LinkContext& ctx, std::string_view) { ctx.options.opt_stats = 1; }},
    {"batch", Value::NONE, [](LinkContext& ctx, std::string_view) { ctx.options.opt_batch = 1; }},
    {"delete-on-error", Value::NONE,
     [](LinkContext& ctx, std::string_view) { ctx.options.opt_delete_on_error = 1; }},
    {"fatal-warnings", Value::NONE,
     [](LinkContext& ctx, std::string_view) { ctx.options.opt_fatal_warnings = 1; }},
    {"dependency-file", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view file) { ctx.options.dependency_file = ctx.str_save(file); }},
    {"output", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view file) { ctx.options.output_file = ctx.str_save(file); }},
    {"fill", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view value) { ctx.options.fill_option = ctx.str_save(value); }},
    {"binary", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view value) { ctx.options.binary_option = ctx.str_save(value); }},
    {"srec", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view file) { ctx.options.srec_option = ctx.str_save(file); }},
    {"checksum", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view value) { ctx.options.checksum_options.emplace_back(value); }},
    {"section-symbols", Value::NONE, [](LinkContext& ctx, std::string_view) { ctx.options.section_symbols = 1; }},
    {"defsym", Value::REQUIRED, nullptr, add_symbol_definition},
    {"orphan-handling", Value::REQUIRED, nullptr, set_orphan_handling},
    {"diagnostics-format", Value::REQUIRED, nullptr, set_diagnostics_format},
    {"sarif", Value::REQUIRED,
     [](LinkContext& ctx, std::string_view file) {
         ctx.options.sarif_file = ctx.str_save(file);
         ctx.findings.keep_fatal = true;
     }},
    {"quiet", Value::NONE,
     [](LinkContext& ctx, std::string_view) {
         ctx.options.opt_quiet = 1;
         ctx.options.quiet_run = 1;
     }},
};

const LongOption* find_long_option(std::string_view name) {
    for (const LongOption& option : LONG_OPTIONS) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

// Error 4 for an unknown long option, with the closest one when it is
// likely the one meant (kept only with --explain).
LinkError unknown_long_option(std::string_view word, std::string_view name) {
    LinkError error(ERR_INVALID_PARAMETER, std::string(word));
    for (const LongOption& option : LONG_OPTIONS) {
        if (!likely_meant(name, option.name)) continue;
        error.add_detail("did you mean --" + std::string(option.name) + (option.value == Value::REQUIRED ? "=...?" : "?"));
        break;
    }
    return error;
}

}  // namespace

bool is_long_option(std::string_view word) { return word.size() > 2 && word.substr(0, 2) == "--"; }

void apply_long_option(LinkContext& ctx, std::string_view word) {
    std::string_view body = word.substr(2);
    std::size_t equals = body.find('=');
    std::string_view name = body.substr(0, equals);
    const LongOption* option = find_long_option(name);
    if (option == nullptr) throw unknown_long_option(word, name);
    const bool has_value = equals != std::string_view::npos;
    std::string_view value = has_value ? body.substr(equals + 1) : std::string_view{};
    if (has_value != (option->value == Value::REQUIRED)) error_exit(ERR_INVALID_PARAMETER, word);
    if (option->value == Value::REQUIRED && value.empty()) error_exit(ERR_INVALID_PARAMETER, word);
    if (option->apply_word != nullptr) {
        option->apply_word(ctx, word, value);
    } else {
        option->apply(ctx, value);
    }
}

void note_explain_request(LinkContext& ctx, const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        std::size_t start = 0;
        while (start <= arg.size()) {
            std::size_t end = arg.find_first_of(" \t,", start);
            if (end == std::string::npos) end = arg.size();
            if (std::string_view(arg).substr(start, end - start) == "--explain") ctx.options.explain = 1;
            start = end + 1;
        }
    }
}

std::vector<std::string> take_long_options(LinkContext& ctx, const std::vector<std::string>& args) {
    std::vector<std::string> ordinary;
    ordinary.reserve(args.size());
    bool options_end = false;
    for (const std::string& arg : args) {
        if (!options_end && arg == "--") {
            options_end = true;
        } else if (!options_end && is_long_option(arg)) {
            // A value may come with its quotes (--output="out dir/prog.hex")
            // when no shell took them away.
            apply_long_option(ctx, unquoted_value(ctx, arg, arg.substr(0, arg.find('='))));
        } else {
            ordinary.push_back(arg);
        }
    }
    return ordinary;
}

}  // namespace orv
