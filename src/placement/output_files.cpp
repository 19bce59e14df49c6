#include <cstring>
#include <memory>
#include <string>

#include "driver/diagnostics.h"
#include "driver/link_context.h"
#include "placement/output_names.h"
#include "platform/host_files.h"

namespace orv {
namespace {

// A built file name, with its terminator, fits in this many bytes.
constexpr std::size_t FILE_NAME_SIZE = 512;

// An output name that leads to a directory, a named pipe or a device is
// refused: writing there would block on the pipe or never make a file.
std::unique_ptr<TextOutput> create_output(const LinkContext& ctx, const std::string& name) {
    if (names_non_regular_file(name)) error_exit(ERR_CANT_CREATE, name);
    std::unique_ptr<TextOutput> file = TextOutput::adopt(ctx.output.create_file(name));
    if (file == nullptr) error_exit(ERR_CANT_CREATE, name);
    return file;
}

}  // namespace

void open_output_files(LinkContext& ctx) {
    const char* out_dir = ctx.options.out_dir;
    const char* out_name = ctx.options.out_name != nullptr ? ctx.options.out_name : "";
    std::size_t needed = std::strlen(out_name) + 5;  // extension and terminator
    if (out_dir != nullptr) needed += std::strlen(out_dir);
    if (needed > FILE_NAME_SIZE) error_exit(ERR_CANT_CREATE, ".HEX file ( file name is too long )");

    std::string base = out_dir != nullptr ? out_dir : "";
    base += out_name;

    ctx.output.hex_file = create_output(ctx, base + ".HEX");
    if (ctx.options.opt_map) ctx.output.map_file = create_output(ctx, base + ".MAP");
    if (ctx.options.opt_sym) ctx.output.sym_file = create_output(ctx, base + ".SYM");
}

}  // namespace orv
