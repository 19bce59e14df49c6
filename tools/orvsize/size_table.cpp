#include "orvsize/size_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>

#include "common/tool_text.h"

namespace orvsize {
namespace {

using orvtool::console_text;
using orvtool::json_string;

auto key_of(const SizeRow& row) { return std::tie(row.name, row.module, row.kind); }

std::string percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", value);
    return text;
}

std::string signed_number(int64_t value) { return (value > 0 ? "+" : "") + std::to_string(value); }

// A change as a percentage of the old size; "new" for a row the old report lacks.
std::string change_percent(int64_t old_bytes, int64_t change) {
    if (old_bytes == 0) return change == 0 ? percent(0) : "new";
    const double value = 100.0 * double(change) / double(old_bytes);
    return (value > 0 ? "+" : "") + percent(value);
}

// A table in columns; numeric columns align right.
struct Table {
    std::vector<std::string> headers;
    std::vector<bool> numeric;
    std::vector<std::vector<std::string>> rows;
};

std::string text_table(const Table& table) {
    std::vector<std::size_t> widths(table.headers.size());
    for (std::size_t c = 0; c < widths.size(); ++c) {
        widths[c] = table.headers[c].size();
        for (const auto& row : table.rows) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string out;
    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string pad(widths[c] - cells[c].size(), ' ');
            text += (c != 0 ? "  " : "") + (table.numeric[c] ? pad + cells[c] : cells[c] + pad);
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text + "\n";
    };
    line(table.headers);
    for (const auto& row : table.rows) line(row);
    return out;
}

std::string csv_cell(const std::string& cell) {
    if (cell.find_first_of(",\"\n\r") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string csv_table(const Table& table) {
    std::string out;
    auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) out += (c != 0 ? "," : "") + csv_cell(cells[c]);
        out += "\n";
    };
    line(table.headers);
    for (const auto& row : table.rows) line(row);
    return out;
}

std::string markdown_cell(const std::string& cell) {
    std::string out;
    for (char c : cell) out += c == '|' ? std::string("\\|") : std::string(1, c);
    return out;
}

std::string markdown_table(const Table& table) {
    std::string out = "|";
    for (const std::string& header : table.headers) out += " " + header + " |";
    out += "\n|";
    for (bool numeric : table.numeric) out += numeric ? " ---: |" : " :--- |";
    out += "\n";
    for (const auto& row : table.rows) {
        out += "|";
        for (const std::string& cell : row) out += " " + markdown_cell(cell) + " |";
        out += "\n";
    }
    return out;
}

std::string rendered(const Table& table, Format format) {
    switch (format) {
    case Format::CSV: return csv_table(table);
    case Format::MARKDOWN: return markdown_table(table);
    default: return text_table(table);
    }
}

std::string upper(const char* name) {
    std::string text = name;
    for (char& c : text) c = char(c - ('a' <= c && c <= 'z' ? 32 : 0));
    return text;
}

// The columns that name a row: its name (and a function's module), its kind.
void key_columns(Table& table, Grouping by) {
    table.headers.push_back(upper(grouping_name(by)));
    if (by == Grouping::FUNCTION) table.headers.push_back("MODULE");
    table.headers.push_back("KIND");
}

void key_cells(std::vector<std::string>& cells, const SizeRow& row, Grouping by) {
    cells.push_back(console_text(row.name));
    if (by == Grouping::FUNCTION) cells.push_back(console_text(row.module));
    cells.push_back(console_text(row.kind));
}

std::string json_key(const SizeRow& row, Grouping by) {
    std::string json = "\"name\":" + json_string(row.name);
    if (by == Grouping::FUNCTION) json += ",\"module\":" + json_string(row.module);
    return json + ",\"kind\":" + (row.kind == "-" ? std::string("null") : json_string(row.kind));
}

Table budget_table(const std::vector<BudgetCheck>& budgets) {
    Table table{{"BUDGET", "USED", "LIMIT", "SIZE", "STATE"}, {false, true, true, true, false}, {}};
    for (const BudgetCheck& check : budgets) {
        table.rows.push_back({console_text(check.budget.region), std::to_string(check.used),
                              std::to_string(check.limit), std::to_string(check.size),
                              check.breached() ? "over by " + std::to_string(check.used - check.limit) + " bytes"
                                               : "fits, " + std::to_string(check.limit - check.used) + " bytes left"});
    }
    return table;
}

std::string json_budgets(const std::vector<BudgetCheck>& budgets) {
    std::string json = "\"budgets\":[";
    for (std::size_t i = 0; i < budgets.size(); ++i) {
        const BudgetCheck& check = budgets[i];
        json += (i != 0 ? ",\n" : "\n") + std::string("{\"region\":") + json_string(check.budget.region) +
                ",\"used\":" + std::to_string(check.used) + ",\"limit\":" + std::to_string(check.limit) +
                ",\"size\":" + std::to_string(check.size) + ",\"exceeded\":" + (check.breached() ? "true" : "false") +
                "}";
    }
    return json + (budgets.empty() ? "]" : "\n]");
}

// The budgets' table, or nothing when none was given.
std::string budget_part(const std::vector<BudgetCheck>& budgets, Format format) {
    return budgets.empty() ? "" : rendered(budget_table(budgets), format);
}

// The tables one after another, an empty line between them (markdown and text).
std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        out += (out.empty() ? "" : "\n") + part;
    }
    return out;
}

}  // namespace

const char* grouping_name(Grouping by) {
    switch (by) {
    case Grouping::REGION: return "region";
    case Grouping::SECTION: return "section";
    case Grouping::LIBRARY: return "library";
    case Grouping::MODULE: return "module";
    case Grouping::FUNCTION: return "function";
    }
    return "region";
}

std::vector<SizeRow> largest_first(std::vector<SizeRow> rows) {
    std::sort(rows.begin(), rows.end(), [](const SizeRow& a, const SizeRow& b) {
        if (a.bytes != b.bytes) return a.bytes > b.bytes;
        return key_of(a) < key_of(b);
    });
    return rows;
}

std::vector<ChangeRow> changes(const std::vector<SizeRow>& old_rows, const std::vector<SizeRow>& new_rows, bool all) {
    std::map<std::tuple<std::string, std::string, std::string>, ChangeRow> matched;
    for (const SizeRow& row : old_rows) {
        ChangeRow& change = matched[{row.name, row.module, row.kind}];
        change.key = row;
        change.old_bytes += row.bytes;
    }
    for (const SizeRow& row : new_rows) {
        ChangeRow& change = matched[{row.name, row.module, row.kind}];
        change.key = row;
        change.new_bytes += row.bytes;
    }
    std::vector<ChangeRow> rows;
    for (auto& [key, change] : matched) {
        if (all || change.change() != 0) rows.push_back(change);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ChangeRow& a, const ChangeRow& b) {
        const int64_t size_a = std::llabs(a.change()), size_b = std::llabs(b.change());
        if (size_a != size_b) return size_a > size_b;
        return a.change() > b.change();
    });
    return rows;
}

std::optional<Budget> parse_budget(const std::string& value) {
    const std::size_t colon = value.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == value.size()) return std::nullopt;
    Budget budget;
    budget.region = value.substr(0, colon);
    budget.text = value.substr(colon + 1);
    std::string amount = budget.text;
    if (amount.back() == '%') {
        budget.percent = true;
        amount.pop_back();
    }
    if (amount.empty()) return std::nullopt;
    char* end = nullptr;
    const bool hex = !budget.percent && amount.size() > 2 && amount[0] == '0' && (amount[1] == 'x' || amount[1] == 'X');
    if (hex) {
        budget.amount = double(std::strtoull(amount.c_str() + 2, &end, 16));
    } else {
        if (!std::isdigit(static_cast<unsigned char>(amount[0]))) return std::nullopt;
        budget.amount = budget.percent ? std::strtod(amount.c_str(), &end)
                                       : double(std::strtoull(amount.c_str(), &end, 10));
    }
    if (end == nullptr || *end != '\0' || (hex && amount.size() == 2)) return std::nullopt;
    if (budget.percent && budget.amount > 100) return std::nullopt;
    return budget;
}

std::vector<BudgetCheck> check_budgets(const LinkReport& report, const std::vector<Budget>& budgets) {
    std::vector<BudgetCheck> checks;
    for (const Budget& budget : budgets) {
        auto region = std::find_if(report.regions.begin(), report.regions.end(),
                                   [&budget](const SizeRow& row) { return row.name == budget.region; });
        if (region == report.regions.end()) {
            std::string known;
            for (const SizeRow& row : report.regions) known += (known.empty() ? "" : ", ") + row.name;
            throw ReportError("the report has no region " + budget.region + " (its regions: " + known + ")");
        }
        BudgetCheck check;
        check.budget = budget;
        check.used = region->bytes;
        check.size = region->capacity;
        // A percentage of the region is rounded down to whole bytes.
        check.limit = budget.percent ? int64_t(std::floor(double(region->capacity) * budget.amount / 100.0))
                                     : int64_t(budget.amount);
        checks.push_back(check);
    }
    return checks;
}

std::string size_output(const LinkReport& report, Grouping by, const std::vector<BudgetCheck>& budgets, Format format) {
    const std::vector<SizeRow> rows = largest_first(report.rows(by));
    const bool regions = by == Grouping::REGION;
    auto share = [&report](const SizeRow& row) {
        const int64_t total = row.kind == "ROM" ? report.rom : row.kind == "RAM" ? report.ram : 0;
        return total > 0 ? percent(100.0 * double(row.bytes) / double(total)) : std::string("-");
    };
    if (format == Format::JSON) {
        std::string json = "{\"grouping\":\"" + std::string(grouping_name(by)) + "\",\n\"rows\":[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            json += (i != 0 ? ",\n{" : "\n{") + json_key(rows[i], by) + ",\"bytes\":" + std::to_string(rows[i].bytes);
            if (regions) json += ",\"size\":" + std::to_string(rows[i].capacity);
            json += "}";
        }
        json += rows.empty() ? "],\n" : "\n],\n";
        json += "\"totals\":{\"rom\":" + std::to_string(report.rom) + ",\"ram\":" + std::to_string(report.ram) + "},\n";
        return json + json_budgets(budgets) + "}\n";
    }
    Table table;
    key_columns(table, by);
    table.numeric.assign(table.headers.size(), false);
    for (const char* header : regions ? std::vector<const char*>{"USED", "SIZE", "USE%"}
                                      : std::vector<const char*>{"BYTES", "SHARE"}) {
        table.headers.push_back(header);
        table.numeric.push_back(true);
    }
    for (const SizeRow& row : rows) {
        std::vector<std::string> cells;
        key_cells(cells, row, by);
        cells.push_back(std::to_string(row.bytes));
        if (regions) {
            cells.push_back(std::to_string(row.capacity));
            cells.push_back(row.capacity > 0 ? percent(100.0 * double(row.bytes) / double(row.capacity)) : "-");
        } else {
            cells.push_back(share(row));
        }
        table.rows.push_back(std::move(cells));
    }
    if (format == Format::CSV) return joined({rendered(table, format), budget_part(budgets, format)});
    const std::string totals =
        "ROM " + std::to_string(report.rom) + " bytes, RAM " + std::to_string(report.ram) + " bytes\n";
    const std::string total_line = (format == Format::MARKDOWN ? "**Total:** " : "total: ") + totals;
    return joined({rendered(table, format), total_line, budget_part(budgets, format)});
}

std::string diff_output(const LinkReport& old_report, const LinkReport& new_report, Grouping by, bool all,
                        const std::vector<BudgetCheck>& budgets, Format format) {
    const std::vector<ChangeRow> rows = changes(old_report.rows(by), new_report.rows(by), all);
    auto total = [](const char* kind, int64_t old_bytes, int64_t new_bytes) {
        return std::string(kind) + " " + std::to_string(old_bytes) + " -> " + std::to_string(new_bytes) + " bytes (" +
               signed_number(new_bytes - old_bytes) + ", " + change_percent(old_bytes, new_bytes - old_bytes) + ")";
    };
    if (format == Format::JSON) {
        std::string json = "{\"grouping\":\"" + std::string(grouping_name(by)) + "\",\n\"rows\":[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ChangeRow& row = rows[i];
            json += (i != 0 ? ",\n{" : "\n{") + json_key(row.key, by) + ",\"old\":" + std::to_string(row.old_bytes) +
                    ",\"new\":" + std::to_string(row.new_bytes) + ",\"change\":" + std::to_string(row.change()) + "}";
        }
        json += rows.empty() ? "],\n" : "\n],\n";
        auto kind_total = [](int64_t old_bytes, int64_t new_bytes) {
            return "{\"old\":" + std::to_string(old_bytes) + ",\"new\":" + std::to_string(new_bytes) +
                   ",\"change\":" + std::to_string(new_bytes - old_bytes) + "}";
        };
        json += "\"totals\":{\"rom\":" + kind_total(old_report.rom, new_report.rom) +
                ",\"ram\":" + kind_total(old_report.ram, new_report.ram) + "},\n";
        return json + json_budgets(budgets) + "}\n";
    }
    Table table;
    key_columns(table, by);
    table.numeric.assign(table.headers.size(), false);
    for (const char* header : {"OLD", "NEW", "CHANGE", "CHANGE%"}) {
        table.headers.push_back(header);
        table.numeric.push_back(true);
    }
    for (const ChangeRow& row : rows) {
        std::vector<std::string> cells;
        key_cells(cells, row.key, by);
        cells.push_back(std::to_string(row.old_bytes));
        cells.push_back(std::to_string(row.new_bytes));
        cells.push_back(signed_number(row.change()));
        cells.push_back(change_percent(row.old_bytes, row.change()));
        table.rows.push_back(std::move(cells));
    }
    if (format == Format::CSV) return joined({rendered(table, format), budget_part(budgets, format)});
    const std::string rom = total("ROM", old_report.rom, new_report.rom);
    const std::string ram = total("RAM", old_report.ram, new_report.ram);
    const std::string summary =
        format == Format::MARKDOWN ? "**" + rom + "**, **" + ram + "**\n" : rom + ", " + ram + "\n";
    const std::string body =
        rows.empty() ? std::string("no ") + grouping_name(by) + " changed\n" : rendered(table, format);
    return joined({summary, body, budget_part(budgets, format)});
}

}  // namespace orvsize
