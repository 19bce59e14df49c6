#include "command/quoted_words.h"

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/text_helpers.h"

namespace orv {
namespace {

// The text from the open quote on, as far as the --explain line shows it.
constexpr std::size_t SHOWN_TEXT = 40;

[[noreturn]] void fail_open_quote(LinkContext& ctx, std::string_view opened_at, std::string_view where) {
    LinkError error(ERR_INVALID_COMMAND, {});
    if (explaining(ctx)) {
        std::string shown(opened_at.substr(0, SHOWN_TEXT));
        if (opened_at.size() > SHOWN_TEXT) shown += "...";
        error.add_detail("the quote opened at " + shown + " " + std::string(where) + " is not closed");
    }
    throw error;
}

// Copies the text from `p` into `word` up to whitespace outside quotes (or
// the end of the text at `end`), removing the quotes. Returns where the last
// quote left open stood, or null when every quote was closed.
const char* copy_word(const char*& p, const char* end, std::string& word, bool stop_at_space) {
    const char* open_quote = nullptr;
    while (p != end && *p != '\0') {
        if (*p == '"') {
            open_quote = open_quote == nullptr ? p : nullptr;
        } else if (open_quote == nullptr && stop_at_space && is_field_space(*p)) {
            break;
        } else {
            word.push_back(*p);
        }
        ++p;
    }
    return open_quote;
}

}  // namespace

bool next_quoted_word(LinkContext& ctx, const char*& p, std::string& word, std::string_view field) {
    while (is_field_space(*p)) ++p;
    if (*p == '\0') return false;
    word.clear();
    if (const char* open_quote = copy_word(p, nullptr, word, true)) {
        fail_open_quote(ctx, std::string_view(open_quote, std::size_t(p - open_quote)), "in the " + std::string(field));
    }
    return true;
}

std::string unquoted_value(LinkContext& ctx, std::string_view value, std::string_view option) {
    std::string word;
    const char* p = value.data();
    if (const char* open_quote = copy_word(p, value.data() + value.size(), word, false)) {
        fail_open_quote(ctx, std::string_view(open_quote, std::size_t(value.data() + value.size() - open_quote)),
                        "in the value of " + std::string(option));
    }
    return word;
}

}  // namespace orv
