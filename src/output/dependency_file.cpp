#include "output/dependency_file.h"

#include <cstdio>
#include <unordered_set>

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"
#include "command/output_names.h"
#include "output/make_names.h"
#include "platform/host_files.h"
#include "platform/staged_files.h"

namespace orv {
namespace {

// The prerequisites under the host paths the names were opened by, each once.
std::vector<std::string> prerequisites(const LinkContext& ctx) {
    std::vector<std::string> paths;
    std::unordered_set<std::string> seen;
    for (const std::string& name : ctx.opened_inputs.names) {
        std::string path = host_path(name);
        if (seen.insert(path).second) paths.push_back(std::move(path));
    }
    return paths;
}

// A name that make cannot read would end or split the rule, or start a
// recipe: the file is not written at all.
void check_readable(const LinkContext& ctx, const char* role, const std::string& path) {
    const char* reason = make_unreadable_reason(path);
    if (reason == nullptr) return;
    LinkError error(ERR_DEPENDENCY_FILE, ctx.options.dependency_file);
    if (explaining(ctx)) {
        error.add_detail(std::string(role) + " \"" + path + "\" " + reason + ", which make cannot read in a rule");
    }
    throw error;
}

std::string rule_text(const LinkContext& ctx) {
    const std::vector<OutputFileName> targets = output_file_names(ctx);
    const std::vector<std::string> inputs = prerequisites(ctx);
    for (const OutputFileName& target : targets) check_readable(ctx, "output", target.host);
    for (const std::string& input : inputs) check_readable(ctx, "input", input);

    std::string text;
    for (const OutputFileName& target : targets) {
        if (!text.empty()) text += ' ';
        text += make_escaped(target.host, MakePlace::TARGET);
    }
    text += ':';
    for (const std::string& input : inputs) text += " \\\n  " + make_escaped(input, MakePlace::PREREQUISITE);
    text += '\n';
    for (const std::string& input : inputs) text += '\n' + make_escaped(input, MakePlace::TARGET) + ":\n";
    return text;
}

}  // namespace

void write_dependency_file(LinkContext& ctx) {
    const char* name = ctx.options.dependency_file;
    if (name == nullptr) return;
    const std::string text = rule_text(ctx);
    std::string written;
    std::string place;
    std::FILE* file = open_staged_file(name, written, place);
    if (file == nullptr) error_exit(ERR_DEPENDENCY_FILE, name);
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        if (written != place) remove_written_file(written);
        error_exit(ERR_DEPENDENCY_FILE, name);
    }
    if (!place_staged_file(written, place)) error_exit(ERR_DEPENDENCY_FILE, name);
}

}  // namespace orv
