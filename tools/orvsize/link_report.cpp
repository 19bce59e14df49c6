#include "orvsize/link_report.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "orvsize/json_value.h"

namespace orvsize {
namespace {

using Kind = JsonValue::Kind;

const JsonValue& member(const JsonValue& object, std::string_view name, Kind kind) {
    const JsonValue* value = object.find(name);
    if (value == nullptr || value->kind != kind) {
        throw ReportError("not a link report: no member \"" + std::string(name) + "\" of the expected type");
    }
    return *value;
}

std::string text_of(const JsonValue& object, std::string_view name) {
    const JsonValue* value = object.find(name);
    if (value == nullptr || value->is_null()) return "";
    if (value->kind != Kind::STRING) throw ReportError("not a link report: \"" + std::string(name) + "\" is no text");
    return value->text;
}

int64_t number_of(const JsonValue& object, std::string_view name) {
    const double value = member(object, name, Kind::NUMBER).number;
    if (!(value >= 0 && value <= 9.0e15) || std::floor(value) != value) {
        throw ReportError("not a link report: \"" + std::string(name) + "\" is no size");
    }
    return int64_t(value);
}

const std::vector<JsonValue>& rows_of(const JsonValue& report, std::string_view name) {
    const std::vector<JsonValue>& items = member(report, name, Kind::ARRAY).items;
    for (const JsonValue& item : items) {
        if (item.kind != Kind::OBJECT) throw ReportError("not a link report: an element of \"" + std::string(name) + "\" is no object");
    }
    return items;
}

std::string module_name(const JsonValue& row) {
    const std::string member_name = text_of(row, "library_module");
    const std::string file = text_of(row, "file");
    return member_name.empty() ? file : file + "(" + member_name + ")";
}

}  // namespace

const std::vector<SizeRow>& LinkReport::rows(Grouping by) const {
    switch (by) {
    case Grouping::REGION: return regions;
    case Grouping::SECTION: return sections;
    case Grouping::LIBRARY: return libraries;
    case Grouping::MODULE: return modules;
    case Grouping::FUNCTION: return functions;
    }
    return regions;
}

LinkReport read_link_report(std::string_view text) {
    JsonValue report;
    try {
        report = parse_json(text);
    } catch (const JsonError& error) {
        throw ReportError(std::string("not a link report: not JSON: ") + error.what());
    }
    const JsonValue* format = report.find("format");
    if (report.kind != Kind::OBJECT || format == nullptr || format->kind != Kind::STRING ||
        format->text != "orvlink link report") {
        throw ReportError("not a link report: its \"format\" is not \"orvlink link report\"");
    }
    const JsonValue* version = report.find("version");
    if (version == nullptr || version->kind != Kind::NUMBER || version->number != REPORT_VERSION) {
        const std::string shown = version != nullptr && version->kind == Kind::NUMBER
                                      ? std::to_string(int64_t(version->number))
                                      : "unknown";
        throw ReportError("a link report of version " + shown + "; this orvsize reads version " +
                          std::to_string(REPORT_VERSION));
    }
    LinkReport sizes;
    for (const JsonValue& row : rows_of(report, "regions")) {
        const std::string kind = text_of(row, "kind");
        sizes.regions.push_back({text_of(row, "name"), "", kind.empty() ? "-" : kind, number_of(row, "used"),
                                 number_of(row, "size")});
    }
    for (const JsonValue& row : rows_of(report, "sections")) {
        sizes.sections.push_back({text_of(row, "name"), "", text_of(row, "kind"), number_of(row, "length")});
    }
    for (const JsonValue& row : rows_of(report, "libraries")) {
        const std::string name = text_of(row, "library");
        const int64_t rom = number_of(row, "rom"), ram = number_of(row, "ram");
        // A row per kind the library fills; one ROM row of 0 for a library that gave nothing.
        if (rom != 0 || ram == 0) sizes.libraries.push_back({name, "", "ROM", rom});
        if (ram != 0) sizes.libraries.push_back({name, "", "RAM", ram});
    }
    // A module's units add up by kind; the kind of every unit, for its functions.
    std::map<std::pair<std::string, std::string>, int64_t> module_bytes;
    std::map<int64_t, std::string> unit_kind;
    for (const JsonValue& row : rows_of(report, "units")) {
        const std::string kind = text_of(row, "kind");
        module_bytes[{module_name(row), kind}] += number_of(row, "length");
        unit_kind[number_of(row, "unit")] = kind;
    }
    for (const auto& [key, bytes] : module_bytes) sizes.modules.push_back({key.first, "", key.second, bytes});
    for (const JsonValue& row : rows_of(report, "functions")) {
        auto kind = unit_kind.find(number_of(row, "unit"));
        sizes.functions.push_back({text_of(row, "name"), module_name(row), kind != unit_kind.end() ? kind->second : "-",
                                   number_of(row, "size")});
    }
    const JsonValue& totals = member(report, "totals", Kind::OBJECT);
    sizes.rom = number_of(totals, "rom");
    sizes.ram = number_of(totals, "ram");
    return sizes;
}

}  // namespace orvsize
