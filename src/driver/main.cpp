#include <string>
#include <vector>

#include "driver/link_context.h"
#include "driver/run_link.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    orv::LinkContext ctx;
    return orv::run_link(ctx, args);
}
