#include <cstdio>
#include <string>
#include <vector>

#include "common/tool_console.h"
#include "platform/program_arguments.h"
#include "orvsize/orvsize.h"

int main(int argc, char** argv) {
    return orvtool::run_tool("orvsize", [&] {
        // In UTF-8 on either host, as the linker takes them.
        std::vector<std::string> args = orv::program_arguments(argc, argv);
        return orvsize::run_orvsize(args, stdout, stderr);
    });
}
