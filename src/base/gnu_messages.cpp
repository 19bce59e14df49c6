#include "base/gnu_messages.h"

#include "base/diagnostics.h"
#include "platform/host_files.h"

namespace orv {
namespace {

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

}  // namespace

const char* finding_severity(const Finding& finding) {
    if (finding.fatal) return "fatal error";
    if (finding.warning) return "warning";
    switch (finding.number) {
    case ERR_SECTION_TYPE:
    case ERR_POINTER_LENGTH:
    case ERR_LABEL_TYPE:
        return "warning";
    default:
        return "error";
    }
}

std::string finding_location(const Finding& finding) {
    const FindingPlace& place = finding.place;
    if (!place.source.empty() && place.line != 0) {
        return printable_name(place.source) + ":" + std::to_string(place.line);
    }
    if (!place.file.empty()) return printable_name(host_path(place.file));
    return "orvlink";
}

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trimmed(text.substr(0, end));
        if (!line.empty()) lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string one_line_message(std::string_view message) {
    std::string text;
    for (const std::string& line : split_lines(message)) {
        if (!text.empty()) text += ' ';
        text += line;
    }
    return text;
}

void print_gnu_finding(std::FILE* stream, const Finding& finding) {
    const std::string location = finding_location(finding);
    std::fprintf(stream, "%s: %s: %s [ORV%02d]\n", location.c_str(), finding_severity(finding),
                 one_line_message(finding.message).c_str(), finding.number);
    for (const std::string& line : finding.lines) std::fprintf(stream, "%s: note: %s\n", location.c_str(), line.c_str());
    for (const std::string& line : finding.notes) std::fprintf(stream, "%s: note: %s\n", location.c_str(), line.c_str());
}

void print_gnu_note(std::FILE* stream, const Finding& finding, std::string_view line) {
    const std::string location = finding_location(finding);
    std::fprintf(stream, "%s: note: %.*s\n", location.c_str(), int(trimmed(line).size()), trimmed(line).data());
}

}  // namespace orv
