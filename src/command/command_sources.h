#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "command/command_input.h"
#include "platform/text_input.h"

namespace orv {

struct LinkContext;

// Index of the last field supplied when the arguments give none.
constexpr int NO_FIELD = -1;

// Appends one character to a command field; the 8193rd character of a field
// is error 1 "Invalid command input".
void append_to_field(std::string& field, char c);

// Error 1 for a fifth field, with the line --explain adds: `given` says how
// many fields there were.
LinkError too_many_fields(const std::string& given);

// Splits the arguments at their commas into the fields; arguments are joined
// by single blanks. Returns the index of the last field started (0 to 3).
int split_arguments(std::string (&fields)[FIELD_COUNT], const std::vector<std::string>& args);

// Reads the fields from a command file (the name after "@"); line ends count
// as blanks. Returns the index of the last field started (0 to 3).
int read_command_file(std::string (&fields)[FIELD_COUNT], std::string_view name);

// The same from a command file already opened (null when it could not be:
// error 0 naming it).
int read_command_file(std::string (&fields)[FIELD_COUNT], std::unique_ptr<TextInput> file,
                      std::string_view name);

// Prompts on standard error for the fields after `last_supplied` and reads
// each answer as one line from standard input; then checks that every answer
// ended in a line end and cuts it there.
void prompt_missing_fields(LinkContext& ctx, int last_supplied);

}  // namespace orv
