#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/findings.h"

namespace orv {

// The GNU form of the messages: one "LOCATION: SEVERITY: TEXT [ORVnn]" line
// per message and one "LOCATION: note: TEXT" line per line under it, the
// form editors, IDEs and build tools parse.

// "error", "warning" (messages 23, 24, 27) or "fatal error".
const char* finding_severity(const Finding& finding);

// Where the finding points: "source:line" when the module's line table
// knows it, else the input file as the host names it, else "orvlink".
std::string finding_location(const Finding& finding);

// The message's lines joined into one, each without its indentation.
std::string one_line_message(std::string_view message);

// The lines of a text without their line ends and indentation; empty
// lines are dropped.
std::vector<std::string> split_lines(std::string_view text);

void print_gnu_finding(std::FILE* stream, const Finding& finding);
void print_gnu_note(std::FILE* stream, const Finding& finding, std::string_view line);

}  // namespace orv
