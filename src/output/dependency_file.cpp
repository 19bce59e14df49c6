#include "output/dependency_file.h"

#include <cstdio>
#include <unordered_set>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "command/output_names.h"
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

std::string rule_text(const LinkContext& ctx) {
    std::string text;
    for (const OutputFileName& target : output_file_names(ctx)) {
        if (!text.empty()) text += ' ';
        text += make_escaped(target.host);
    }
    text += ':';
    const std::vector<std::string> inputs = prerequisites(ctx);
    for (const std::string& input : inputs) text += " \\\n  " + make_escaped(input);
    text += '\n';
    for (const std::string& input : inputs) text += '\n' + make_escaped(input) + ":\n";
    return text;
}

}  // namespace

std::string make_escaped(std::string_view path) {
    std::string text;
    for (char c : path) {
        if (c == ' ' || c == '#') text += '\\';
        if (c == '$') text += '$';
        text += c;
    }
    return text;
}

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
    if (ok && written != place) ok = move_into_place(written, place);
    if (!ok) {
        if (written != place) remove_written_file(written);
        error_exit(ERR_DEPENDENCY_FILE, name);
    }
}

}  // namespace orv
