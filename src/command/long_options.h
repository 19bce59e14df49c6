#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct LinkContext;

// A word such as "--stats" or "--output=prog.hex": the options that go beyond
// the classic one-letter parameters.
bool is_long_option(std::string_view word);

// Applies one long option. An unknown name, a missing value or a value given
// to an option that takes none is error 4 with the word.
void apply_long_option(LinkContext& ctx, std::string_view word);

// Sets --explain when it stands anywhere in the arguments, as an argument or
// a word of a field, so that an error of the command itself, found before
// the option is reached, is explained too.
void note_explain_request(LinkContext& ctx, const std::vector<std::string>& args);

// Applies every long option among the program's arguments, up to a lone "--",
// and returns the other arguments in their order (the "--" itself dropped).
std::vector<std::string> take_long_options(LinkContext& ctx, const std::vector<std::string>& args);

}  // namespace orv
