#pragma once

namespace orv {

// What the user can do about a message: the help of its rule in the SARIF
// log. Empty for a number not in use.
const char* rule_help(int number);

}  // namespace orv
