#pragma once
#include <string>
#include <string_view>

namespace orv {

// A file name as make reads it in a rule. A target and a prerequisite differ
// in one character: "%" makes a target a pattern, and is plain text in the
// prerequisites of an explicit rule.
enum class MakePlace { TARGET, PREREQUISITE };

// Why make cannot read `path` as one file name in a rule, or null when it
// can: a control character (a line feed ends the rule, a tab starts a
// recipe), a ";" (which make takes as the start of a recipe even when it
// comes out of a variable), the form LIB(MEMBER) of an archive member, or a
// trailing backslash (which joins the next line).
const char* make_unreadable_reason(std::string_view path);

// `path` escaped for make at `place`: blank, "#", ":", "*", "?", "[" (and
// "%" in a target) with a backslash, the backslashes before them doubled,
// "$" doubled, "=" through a function so that the line is not taken as an
// assignment, and a leading "~" behind "./" so that it is not a home
// directory. Only for a path that make_unreadable_reason accepts.
std::string make_escaped(std::string_view path, MakePlace place);

}  // namespace orv
