#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "orvlib/librarian.h"

int main(int argc, char** argv) {
    // The console text is the same bytes on every host.
    if (!orv::fill_closed_standard_descriptors()) return 2;
    std::vector<std::string> args(argv + 1, argv + argc);
    return orvlib::run_orvlib(args, stdout, stderr);
}
