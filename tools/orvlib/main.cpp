#include <cstdio>
#include <string>
#include <vector>

#include "common/tool_console.h"
#include "orvlib/librarian.h"

int main(int argc, char** argv) {
    return orvtool::run_tool("orvlib", [&] {
        std::vector<std::string> args(argv + 1, argv + argc);
        return orvlib::run_orvlib(args, stdout, stderr);
    });
}
