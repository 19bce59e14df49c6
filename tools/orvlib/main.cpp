#include <cstdio>
#include <string>
#include <vector>

#include "orvlib/librarian.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return orvlib::run_orvlib(args, stdout, stderr);
}
