#include "command/parameters.h"

#include "command/long_options.h"

#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
#include "command/output_names.h"
#include "command/quoted_words.h"

namespace orv {
namespace {

// The longest directory or base name that -O and -F accept; longer texts are
// ignored.
constexpr std::size_t OPTION_TEXT_LIMIT = 511;

constexpr int32_t BANK_MAX_ADDRESS = 0x1FFFF;

bool is_letter(char c, char upper) { return to_upper_ascii(c) == upper; }

[[noreturn]] void invalid_parameter(std::string_view token) {
    error_exit(ERR_INVALID_PARAMETER, token);
}

// The -O directory always ends in a separator, so that the base name can be
// appended to it directly. A slash separates directories as a backslash does.
void set_output_directory(LinkContext& ctx, std::string_view text) {
    if (text.size() > OPTION_TEXT_LIMIT) return;
    std::string dir(text);
    char end = dir.back();
    if (end != ':' && end != '\\' && end != '/') dir += '\\';
    ctx.options.out_dir = ctx.str_save(dir);
}

void set_output_base_name(LinkContext& ctx, std::string_view text) {
    if (text.size() > OPTION_TEXT_LIMIT) return;
    ctx.options.out_name = ctx.str_save(text);
}

void note_output_option(LinkContext& ctx, std::string_view token) {
    if (ctx.options.out_option == nullptr) ctx.options.out_option = ctx.str_save(token);
}

// Handles one token starting with "-". Returns the number of characters after
// the "-" that the option used; the rest of the token must be empty.
std::size_t apply_option(LinkContext& ctx, std::string_view token) {
    Options& options = ctx.options;
    std::string_view body = token.substr(1);
    if (body.empty()) invalid_parameter(token);
    switch (body[0]) {
    case 'S':
    case 's':
        options.opt_sym = 1;
        return 1;
    case 'N':
    case 'n':
        options.opt_no_request = 1;
        return 1;
    case 'V':
    case 'v':
        options.opt_version_check = 1;
        return 1;
    case 'A':
    case 'a':
        options.opt_absolute_overlap = 1;
        return 1;
    case '.':
        options.opt_quiet = 1;
        return 1;
    case 'M':
    case 'm':
        options.opt_map = 1;
        if (body.size() > 1 && is_letter(body[1], 'S')) {
            options.opt_map_symbols = 1;
            return 2;
        }
        return 1;
    case 'B':
    case 'b':
        // Only the whole word BANK counts: -B, -BA and -BAN are refused, so
        // that a truncated option cannot pass without effect.
        if (body.size() < 4 || !is_letter(body[1], 'A') || !is_letter(body[2], 'N') ||
            !is_letter(body[3], 'K')) {
            invalid_parameter(token);
        }
        options.bank_mode = 1;
        options.max_address = BANK_MAX_ADDRESS;
        return 4;
    case 'D':
        if (body != "DEBUG") invalid_parameter(token);
        options.opt_debug = 1;
        return body.size();
    case 'O':
    case 'o':
        if (body.size() == 1) invalid_parameter(token);
        note_output_option(ctx, token);
        set_output_directory(ctx, body.substr(1));
        return body.size();
    case 'F':
    case 'f':
        if (body.size() == 1) invalid_parameter(token);
        note_output_option(ctx, token);
        set_output_base_name(ctx, body.substr(1));
        return body.size();
    default:
        invalid_parameter(token);
    }
}

}  // namespace

void set_parameters(LinkContext& ctx, const char* field) {
    // A value in double quotes may hold blanks: -O"out dir", --output="a b.hex".
    const char* p = field;
    std::string word;
    while (next_quoted_word(ctx, p, word, "command parameters")) {
        std::string_view token(word);
        if (is_long_option(token)) {
            apply_long_option(ctx, token);
        } else {
            if (token.empty() || token[0] != '-') invalid_parameter(token);
            if (apply_option(ctx, token) != token.size() - 1) invalid_parameter(token);
        }
    }
}

void check_output_options(LinkContext& ctx) {
    // --output names the HEX file whole: a directory or base name beside it
    // would contradict it.
    const Options& options = ctx.options;
    if (options.output_file == nullptr) return;
    if (options.out_option != nullptr) error_exit(ERR_OUTPUT_EXCLUDES, options.out_option);
    // A HEX file named like the map or symbol file beside it would be
    // overwritten by that file.
    const std::string hex = options.output_file;
    if ((options.opt_map && file_beside(hex, "MAP") == hex) || (options.opt_sym && file_beside(hex, "SYM") == hex)) {
        invalid_parameter("--output=" + hex);
    }
}

}  // namespace orv
