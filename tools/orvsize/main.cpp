#include <cstdio>
#include <string>
#include <vector>

#include "common/tool_console.h"
#include "orvsize/orvsize.h"

int main(int argc, char** argv) {
    return orvtool::run_tool("orvsize", [&] {
        std::vector<std::string> args(argv + 1, argv + argc);
        return orvsize::run_orvsize(args, stdout, stderr);
    });
}
