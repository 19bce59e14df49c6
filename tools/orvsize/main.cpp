#include <cstdio>
#include <string>
#include <vector>

#include "orvsize/orvsize.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return orvsize::run_orvsize(args, stdout, stderr);
}
