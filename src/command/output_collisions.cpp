#include "command/output_collisions.h"

#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "command/output_names.h"
#include "platform/host_files.h"

namespace orv {
namespace {

struct NamedFile {
    std::string shown;
    const char* what;
    FileIdentity identity;
};

void add_file(std::vector<NamedFile>& files, std::string shown, const std::string& host, const char* what) {
    NamedFile file{std::move(shown), what, {}};
    if (host_file_identity(host, file.identity)) files.push_back(std::move(file));
}

std::vector<NamedFile> outputs_of(const LinkContext& ctx) {
    std::vector<NamedFile> outputs;
    for (const OutputFileName& name : output_file_names(ctx)) add_file(outputs, name.shown, name.host, name.what);
    // Reports are written under their names exactly as given.
    const Options& options = ctx.options;
    const struct {
        const char* name;
        const char* what;
    } reports[] = {{options.link_report, "the link report (--link-report)"},
                   {options.memory_map, "the memory map (--memory-map)"},
                   {options.why_extract, "the extraction table (--why-extract)"},
                   {options.dependency_file, "the dependency file (--dependency-file)"}};
    for (const auto& report : reports) {
        if (report.name != nullptr && std::string_view(report.name) != "-") {
            add_file(outputs, report.name, report.name, report.what);
        }
    }
    return outputs;
}

[[noreturn]] void fail_collision(const LinkContext& ctx, const NamedFile& output, const std::string& other,
                                 const char* other_what) {
    LinkError error(ERR_OUTPUT_COLLISION, output.shown, other);
    if (explaining(ctx)) error.add_detail(output.shown + " is " + output.what + ", " + other + " " + other_what);
    throw error;
}

bool names_an_output(const Options& options) {
    return options.binary_option != nullptr || options.srec_option != nullptr || options.output_file != nullptr || options.link_report != nullptr || options.memory_map != nullptr ||
           (options.why_extract != nullptr && std::string_view(options.why_extract) != "-") ||
           options.dependency_file != nullptr;
}

}  // namespace

void check_output_collisions(const LinkContext& ctx) {
    if (!names_an_output(ctx.options)) return;
    const std::vector<NamedFile> outputs = outputs_of(ctx);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (outputs[i].identity == outputs[j].identity) {
                fail_collision(ctx, outputs[i], outputs[j].shown, outputs[j].what);
            }
        }
    }
    // Inputs exist, so only an output that exists can be one of them.
    for (const std::string& input : ctx.opened_inputs.names) {
        FileIdentity identity;
        if (!host_file_identity(host_path(input), identity)) continue;
        for (const NamedFile& output : outputs) {
            if (output.identity == identity) fail_collision(ctx, output, input, "an input of the link");
        }
    }
}

}  // namespace orv
