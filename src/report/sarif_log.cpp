#include "report/sarif_log.h"

#include <string>

#include "base/diagnostics.h"
#include "base/gnu_messages.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
#include "platform/host_files.h"
#include "report/json_writer.h"
#include "report/report_file.h"
#include "report/sarif_rules.h"

namespace orv {
namespace {

std::string rule_id(int number) {
    char id[16];
    std::snprintf(id, sizeof id, "ORV%02d", number);
    return id;
}

// A host path as a relative URI reference: every byte outside the
// unreserved characters and the slash is percent-encoded.
std::string uri_of(const std::string& path) {
    static const char DIGITS[] = "0123456789ABCDEF";
    std::string uri;
    for (char ch : path) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            uri += ch;
        } else {
            uri += {'%', DIGITS[c >> 4], DIGITS[c & 0xF]};
        }
    }
    return uri;
}

const char* sarif_level(const Finding& finding) {
    return std::string_view(finding_severity(finding)) == "warning" ? "warning" : "error";
}

void write_text_object(JsonWriter& json, std::string_view name, std::string_view text) {
    json.key(name);
    json.begin_object(true);
    json.member("text", text);
    json.end_object();
}

void write_physical_location(JsonWriter& json, const FindingPlace& place) {
    const bool has_line = !place.source.empty() && place.line != 0;
    if (!has_line && place.file.empty()) return;
    json.key("physicalLocation");
    json.begin_object(true);
    json.key("artifactLocation");
    json.begin_object(true);
    json.member("uri", uri_of(has_line ? place.source : host_path(place.file)));
    json.end_object();
    if (has_line) {
        json.key("region");
        json.begin_object(true);
        json.member("startLine", int64_t(place.line));
        json.end_object();
    }
    json.end_object();
}

// The module, its section and the address, each named within the one before.
void write_logical_locations(JsonWriter& json, const FindingPlace& place) {
    const std::string address = place.has_address ? hex_text(place.address, 4) : "";
    if (place.module.empty() && place.section.empty() && address.empty() && place.function.empty()) return;
    json.key("logicalLocations");
    json.begin_array(true);
    std::string qualified;
    auto add = [&](const std::string& name, const char* kind) {
        if (name.empty()) return;
        qualified += (qualified.empty() ? "" : "/") + name;
        json.begin_object(true);
        json.member("name", name);
        json.member("fullyQualifiedName", qualified);
        json.member("kind", kind);
        json.end_object();
    };
    add(place.module, "module");
    add(place.function, "function");
    add(place.section, "section");
    add(address, "address");
    json.end_array();
}

void write_location(JsonWriter& json, const FindingPlace& place) {
    json.begin_object(true);
    write_physical_location(json, place);
    write_logical_locations(json, place);
    json.end_object();
}

void write_related(JsonWriter& json, const Finding& finding) {
    if (finding.related.empty() && finding.lines.empty() && finding.notes.empty()) return;
    json.key("relatedLocations");
    json.begin_array();
    int id = 0;
    for (const RelatedPlace& related : finding.related) {
        json.begin_object(true);
        json.member("id", ++id);
        write_physical_location(json, related.place);
        write_logical_locations(json, related.place);
        write_text_object(json, "message", related.message);
        json.end_object();
    }
    // The lines under the message and the --explain lines speak of the
    // finding's own place.
    for (const std::vector<std::string>* lines : {&finding.lines, &finding.notes}) {
        for (const std::string& line : *lines) {
            json.begin_object(true);
            json.member("id", ++id);
            write_physical_location(json, finding.place);
            write_text_object(json, "message", line);
            json.end_object();
        }
    }
    json.end_array();
}

void write_result(JsonWriter& json, const Finding& finding, int rule_index) {
    json.begin_object();
    json.member("ruleId", rule_id(finding.number));
    if (rule_index >= 0) json.member("ruleIndex", rule_index);
    json.member("level", sarif_level(finding));
    write_text_object(json, "message", one_line_message(finding.message));
    const FindingPlace& place = finding.place;
    if (!place.file.empty() || !place.source.empty() || !place.module.empty() || !place.section.empty()) {
        json.key("locations");
        json.begin_array();
        write_location(json, place);
        json.end_array();
    }
    write_related(json, finding);
    json.end_object();
}

// The rules: one per message number in use, in number order. Returns the
// index of each number's rule, -1 for a number without one.
std::vector<int> write_rules(JsonWriter& json) {
    std::vector<int> index(ERROR_COUNT, -1);
    json.key("rules");
    json.begin_array();
    int next = 0;
    for (int number = 0; number < ERROR_COUNT; ++number) {
        if (*error_text(number) == '\0') continue;
        index[std::size_t(number)] = next++;
        json.begin_object();
        json.member("id", rule_id(number));
        write_text_object(json, "shortDescription", one_line_message(error_text(number)));
        if (std::string_view(rule_help(number)).size() > 1) write_text_object(json, "help", rule_help(number));
        json.key("defaultConfiguration");
        json.begin_object(true);
        Finding sample;
        sample.number = number;
        json.member("level", sarif_level(sample));
        json.end_object();
        json.end_object();
    }
    json.end_array();
    return index;
}

// "V.4.00.00" as "4.00.00".
std::string tool_version() {
    std::string_view text = ORV_VERSION_TEXT;
    if (text.substr(0, 2) == "V.") text.remove_prefix(2);
    return std::string(text);
}

}  // namespace

void write_sarif_log(LinkContext& ctx, int exit_status) {
    if (ctx.options.sarif_file == nullptr) return;
    ReportFile file(ctx.options.sarif_file, ctx.output);
    JsonWriter json(&file);
    json.begin_object();
    json.member("$schema", "https://json.schemastore.org/sarif-2.1.0.json");
    json.member("version", "2.1.0");
    json.key("runs");
    json.begin_array();
    json.begin_object();
    json.key("tool");
    json.begin_object();
    json.key("driver");
    json.begin_object();
    json.member("name", "orvlink");
    json.member("version", tool_version());
    const std::vector<int> rule_index = write_rules(json);
    json.end_object();
    json.end_object();
    json.key("invocations");
    json.begin_array();
    json.begin_object(true);
    json.member("executionSuccessful", exit_status == 0);
    json.member("exitCode", exit_status);
    json.end_object();
    json.end_array();
    json.key("results");
    json.begin_array();
    for (const Finding& finding : ctx.findings.entries()) {
        const bool known = finding.number >= 0 && finding.number < ERROR_COUNT;
        write_result(json, finding, known ? rule_index[std::size_t(finding.number)] : -1);
    }
    json.end_array();
    json.end_object();
    json.end_array();
    json.end_object();
    json.finish();
    file.close();
}

}  // namespace orv
