#include "command/command_input.h"

#include "driver/banner.h"
#include "driver/diagnostics.h"
#include "driver/link_context.h"

namespace orv {

void get_command(LinkContext& ctx, const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0] == "-V") {
        print_version(ctx);
        throw LinkError::silent_exit(0);
    }
}

}  // namespace orv
