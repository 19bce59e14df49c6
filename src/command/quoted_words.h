#pragma once
#include <string>
#include <string_view>

namespace orv {

struct LinkContext;

// A name may hold blanks when it is written between double quotes
// ("my objs/startup"): inside quotes a blank, a tab or a comma is part of the
// word, and the quotes themselves are not. A word without a quote reads as
// before, up to the next whitespace.

// Tracks whether the text read so far leaves a quote open, for the splitters
// that cut a command into its fields: a comma inside quotes belongs to a name.
class QuoteTracker {
public:
    void see(char c) {
        if (c == '"') open_ = !open_;
    }
    bool open() const { return open_; }

private:
    bool open_ = false;
};

// Reads the next word of a field from `p`, skipping the whitespace before it,
// into `word` with its quotes removed. False at the end of the field. A quote
// still open at the end of the field is error 1; `field` names the field in
// the --explain line.
bool next_quoted_word(LinkContext& ctx, const char*& p, std::string& word, std::string_view field);

// A long option's value as given on the command line, with its quotes
// removed (--output="out dir/prog.hex"); a quote left open is error 1.
std::string unquoted_value(LinkContext& ctx, std::string_view value, std::string_view option);

}  // namespace orv
