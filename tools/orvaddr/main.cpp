#include <cstdio>
#include <string>
#include <vector>

#include "common/tool_console.h"
#include "platform/program_arguments.h"
#include "orvaddr/orvaddr.h"

int main(int argc, char** argv) {
    return orvtool::run_tool("orvaddr", [&] {
        // In UTF-8 on either host, as the linker takes them.
        std::vector<std::string> args = orv::program_arguments(argc, argv);
        return orvaddr::run_orvaddr(args, stdin, stdout, stderr);
    });
}
