#include <cstdio>
#include <string>
#include <vector>

#include "orvaddr/orvaddr.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return orvaddr::run_orvaddr(args, stdin, stdout, stderr);
}
