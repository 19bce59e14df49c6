#include <cstdio>
#include <string>
#include <vector>

#include "common/tool_console.h"
#include "orvaddr/orvaddr.h"

int main(int argc, char** argv) {
    return orvtool::run_tool("orvaddr", [&] {
        std::vector<std::string> args(argv + 1, argv + argc);
        return orvaddr::run_orvaddr(args, stdin, stdout, stderr);
    });
}
