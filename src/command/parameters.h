#pragma once

namespace orv {

struct LinkContext;

// Parses the command parameters field into the options; a malformed token is
// error 4 "Invalid parameter input" naming the token.
void set_parameters(LinkContext& ctx, const char* field);

// --output together with -O or -F is error 32, naming the -O or -F token.
void check_output_options(LinkContext& ctx);

}  // namespace orv
