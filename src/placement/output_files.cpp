#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "command/output_names.h"
#include "platform/host_files.h"
#include "platform/staged_files.h"

namespace orv {
namespace {

// A built file name, with its terminator, fits in this many bytes.
constexpr std::size_t FILE_NAME_SIZE = 512;

// An output name that leads to a directory, or to a named pipe that no
// process reads, is refused; a device is written in place.
std::unique_ptr<TextOutput> create_output(LinkContext& ctx, const OutputFileName& name) {
    std::unique_ptr<TextOutput> file;
    if (ctx.output.create_file) {
        file = TextOutput::adopt(ctx.output.create_file(name.host));
        if (file == nullptr) error_exit(ERR_CANT_CREATE, name.shown);
        return file;
    }
    // Room for the record first: a temporary must not be made that the run
    // then cannot keep track of.
    ctx.output.staged.emplace_back();
    StagedOutput& staged = ctx.output.staged.back();
    file = TextOutput::create_staged(name.host, staged.written_path, staged.final_path);
    if (file == nullptr) {
        ctx.output.staged.pop_back();
        cant_create_exit(name.shown, staged_file_error());
    }
    return file;
}

bool is_lower_word(std::string_view text) {
    bool lower = false;
    for (char c : text) {
        if (c >= 'A' && c <= 'Z') return false;
        if (c >= 'a' && c <= 'z') lower = true;
    }
    return lower;
}

}  // namespace

std::string file_beside(const std::string& file, const char* extension) {
    std::size_t slash = file.rfind('/');
    std::size_t dot = file.rfind('.');
    bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string stem = has_extension ? file.substr(0, dot) : file;
    std::string suffix = std::string(".") + extension;
    if (has_extension && is_lower_word(std::string_view(file).substr(dot + 1))) {
        for (char& c : suffix) c = char(c | 0x20);
    }
    return stem + suffix;
}

constexpr const char* HEX_FILE = "the HEX file";
constexpr const char* MAP_FILE = "the map file";
constexpr const char* SYMBOL_FILE = "the symbol file";

std::vector<OutputFileName> output_file_names(const LinkContext& ctx) {
    const Options& options = ctx.options;
    std::vector<OutputFileName> names;
    if (options.output_file != nullptr) {
        const std::string hex = options.output_file;
        names.push_back({hex, hex, HEX_FILE});
        if (options.opt_map) names.push_back({file_beside(hex, "MAP"), file_beside(hex, "MAP"), MAP_FILE});
        if (options.opt_sym) names.push_back({file_beside(hex, "SYM"), file_beside(hex, "SYM"), SYMBOL_FILE});
    } else {
        std::string base = options.out_dir != nullptr ? options.out_dir : "";
        base += options.out_name != nullptr ? options.out_name : "";
        names.push_back({base + ".HEX", host_path(base + ".HEX"), HEX_FILE});
        if (options.opt_map) names.push_back({base + ".MAP", host_path(base + ".MAP"), MAP_FILE});
        if (options.opt_sym) names.push_back({base + ".SYM", host_path(base + ".SYM"), SYMBOL_FILE});
    }
    // The image files go where their options name them, as typed.
    const ImageRequest& image = ctx.image;
    if (!image.binary_file.empty()) names.push_back({image.binary_file, image.binary_file, "the binary image (--binary)"});
    if (!image.srec_file.empty()) names.push_back({image.srec_file, image.srec_file, "the S-record file (--srec)"});
    return names;
}

void open_output_files(LinkContext& ctx) {
    const char* out_dir = ctx.options.out_dir;
    const char* out_name = ctx.options.out_name != nullptr ? ctx.options.out_name : "";
    std::size_t needed = std::strlen(out_name) + 5;  // extension and terminator
    if (out_dir != nullptr) needed += std::strlen(out_dir);
    if (ctx.options.output_file == nullptr && needed > FILE_NAME_SIZE) {
        error_exit(ERR_CANT_CREATE, ".HEX file ( file name is too long )");
    }

    const std::vector<OutputFileName> names = output_file_names(ctx);
    std::size_t next = 0;
    ctx.output.hex_file = create_output(ctx, names[next++]);
    if (ctx.options.opt_map) ctx.output.map_file = create_output(ctx, names[next++]);
    if (ctx.options.opt_sym) ctx.output.sym_file = create_output(ctx, names[next++]);
    if (!ctx.image.binary_file.empty()) ctx.output.binary_file = create_output(ctx, names[next++]);
    if (!ctx.image.srec_file.empty()) ctx.output.srec_file = create_output(ctx, names[next++]);
}

bool place_output_files(LinkContext& ctx, std::string& failed_name) {
    bool ok = true;
    for (StagedOutput& file : ctx.output.staged) {
        if (!place_staged_file(file.written_path, file.final_path)) {
            if (ok) {
                failed_name = file.final_path;
                ctx.output.place_failure = staged_file_error();
            }
            ok = false;
        }
        file.written_path = file.final_path;
    }
    return ok;
}

namespace {

// Every name this run writes an output under, as far as the command was read.
std::vector<std::string> output_paths(const LinkContext& ctx) {
    std::vector<std::string> paths;
    for (const StagedOutput& file : ctx.output.staged) paths.push_back(file.final_path);
    const Options& options = ctx.options;
    if (options.output_file != nullptr || options.out_name != nullptr) {
        for (const OutputFileName& name : output_file_names(ctx)) paths.push_back(name.host);
    }
    for (const char* report : {options.link_report, options.memory_map, options.why_extract, options.dependency_file}) {
        if (report != nullptr && std::string_view(report) != "-") paths.push_back(report);
    }
    return paths;
}

// With --delete-on-error a failed run leaves no file under any of its output
// names, an earlier run's included, so that nothing complete-looking stays.
// An input is never removed, whatever the output names say.
void remove_earlier_outputs(const LinkContext& ctx) {
    std::vector<FileIdentity> inputs;
    for (const std::string& input : ctx.opened_inputs.names) {
        FileIdentity identity;
        if (host_file_identity(host_path(input), identity)) inputs.push_back(identity);
    }
    for (const std::string& path : output_paths(ctx)) {
        FileIdentity identity;
        if (!host_file_identity(path, identity) || !identity.entry.empty()) continue;
        if (std::find(inputs.begin(), inputs.end(), identity) == inputs.end()) remove_written_file(path);
    }
}

}  // namespace

bool settle_output_files(LinkContext& ctx, int status, std::string& failed_name) {
    OutputState& output = ctx.output;
    output.hex_file.reset();
    output.map_file.reset();
    output.sym_file.reset();
    output.binary_file.reset();
    output.srec_file.reset();
    bool ok = true;
    if (status != 0 && ctx.options.opt_delete_on_error) {
        for (const StagedOutput& file : output.staged) remove_written_file(file.written_path);
        remove_earlier_outputs(ctx);
    } else {
        ok = place_output_files(ctx, failed_name);
    }
    output.staged.clear();
    return ok;
}

}  // namespace orv
