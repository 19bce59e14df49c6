#pragma once
#include <string_view>

#include "command/symbol_definition.h"

namespace orv {

struct LinkContext;

// Reads the value of --defsym, NAME=NUMBER or NAME=LABEL[+N|-N] (a number
// in decimal, or in hexadecimal after "0x"), and adds it to the options; a
// later definition of the same name replaces the earlier one. A bad form is
// error 42 with the whole option `word`.
void add_symbol_definition(LinkContext& ctx, std::string_view word, std::string_view value);

}  // namespace orv
