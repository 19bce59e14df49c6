#pragma once

namespace orv {

struct LinkContext;

// Parses the command parameters field into the options; a malformed token is
// error 4 "Invalid parameter input" naming the token.
void set_parameters(LinkContext& ctx, const char* field);

// Checks --output against the other options: together with -O or -F it is
// error 32 naming the first of those; a FILE that the map or symbol file
// beside it would also take is error 4 naming the option.
void check_output_options(LinkContext& ctx);

}  // namespace orv
