#include "orvsize/link_report.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

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

namespace {

// The rows of the report's arrays as the parser hands them over. A fault is
// kept until the document is known to be a link report of this version.
class ReportRows : public JsonElementSink {
public:
    void element(std::string_view array, const JsonValue& row) override {
        if (!fault_.empty()) return;
        try {
            if (row.kind != Kind::OBJECT) {
                throw ReportError("not a link report: an element of \"" + std::string(array) + "\" is no object");
            }
            take(array, row);
        } catch (const ReportError& error) {
            fault_ = error.what();
        }
    }

    // The sizes, once the whole document is read.
    LinkReport finish(const JsonValue& report) {
        if (!fault_.empty()) throw ReportError(fault_);
        for (const char* array : {"regions", "sections", "units", "functions", "libraries"}) {
            member(report, array, Kind::ARRAY);
        }
        for (const auto& [key, bytes] : module_bytes_) sizes_.modules.push_back({key.first, "", key.second, bytes});
        for (std::size_t i = 0; i < sizes_.functions.size(); ++i) {
            auto kind = unit_kind_.find(function_units_[i]);
            sizes_.functions[i].kind = kind != unit_kind_.end() ? kind->second : "-";
        }
        const JsonValue& totals = member(report, "totals", Kind::OBJECT);
        sizes_.rom = number_of(totals, "rom");
        sizes_.ram = number_of(totals, "ram");
        return std::move(sizes_);
    }

private:
    void take(std::string_view array, const JsonValue& row) {
        if (array == "regions") {
            const std::string kind = text_of(row, "kind");
            sizes_.regions.push_back({text_of(row, "name"), "", kind.empty() ? "-" : kind, number_of(row, "used"),
                                      number_of(row, "size")});
        } else if (array == "sections") {
            sizes_.sections.push_back({text_of(row, "name"), "", text_of(row, "kind"), number_of(row, "length")});
        } else if (array == "libraries") {
            const std::string name = text_of(row, "library");
            const int64_t rom = number_of(row, "rom"), ram = number_of(row, "ram");
            // A row per kind the library fills; one ROM row of 0 for a library that gave nothing.
            if (rom != 0 || ram == 0) sizes_.libraries.push_back({name, "", "ROM", rom});
            if (ram != 0) sizes_.libraries.push_back({name, "", "RAM", ram});
        } else if (array == "units") {
            // A module's units add up by kind; the kind of every unit, for its functions.
            const std::string kind = text_of(row, "kind");
            module_bytes_[{module_name(row), kind}] += number_of(row, "length");
            unit_kind_[number_of(row, "unit")] = kind;
        } else if (array == "functions") {
            sizes_.functions.push_back({text_of(row, "name"), module_name(row), "", number_of(row, "size")});
            function_units_.push_back(number_of(row, "unit"));
        }
    }

    LinkReport sizes_;
    std::map<std::pair<std::string, std::string>, int64_t> module_bytes_;
    std::unordered_map<int64_t, std::string> unit_kind_;
    std::vector<int64_t> function_units_;
    std::string fault_;
};

}  // namespace

LinkReport read_link_report(std::string_view text) {
    JsonValue report;
    ReportRows rows;
    try {
        // The names and findings are not needed for sizes.
        static const std::vector<std::string_view> WANTED = {"format",    "version",   "regions",   "sections",
                                                             "units",     "functions", "libraries", "totals"};
        report = parse_json(text, &WANTED, &rows);
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
    return rows.finish(report);
}

}  // namespace orvsize
