#pragma once
#include <string>

namespace orv {

// Writes a whole report file under the name given with its option. A file
// that cannot be created is error 15, one whose data does not all reach the
// disk error 18.
void write_report_file(const char* name, const std::string& text);

}  // namespace orv
