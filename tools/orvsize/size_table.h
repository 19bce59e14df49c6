#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orvsize/link_report.h"

// What orvsize prints: the rows of a grouping or the changes between two
// reports, the budgets, in one of four formats.
namespace orvsize {

enum class Format { TEXT, CSV, MARKDOWN, JSON };

// Largest first; ties by name, then module and kind, so that the same
// report always gives the same bytes.
std::vector<SizeRow> largest_first(std::vector<SizeRow> rows);

struct ChangeRow {
    SizeRow key;  // name, module and kind; `bytes` unused
    int64_t old_bytes = 0;
    int64_t new_bytes = 0;
    int64_t change() const { return new_bytes - old_bytes; }
};

// The rows of both reports matched by name, module and kind, largest change
// first (by its size, growth before shrinking); unchanged rows only with `all`.
std::vector<ChangeRow> changes(const std::vector<SizeRow>& old_rows, const std::vector<SizeRow>& new_rows, bool all);

// --budget=REGION:SIZE, SIZE in bytes (decimal or 0x hexadecimal) or a
// percentage of the region's size.
struct Budget {
    std::string region;
    double amount = 0;
    bool percent = false;
    std::string text;  // SIZE as given
};
std::optional<Budget> parse_budget(const std::string& value);

struct BudgetCheck {
    Budget budget;
    int64_t used = 0;
    int64_t size = 0;   // the region's
    int64_t limit = 0;  // in bytes
    bool breached() const { return used > limit; }
};

// The budgets against the report's regions; throws ReportError naming a
// region the report does not have.
std::vector<BudgetCheck> check_budgets(const LinkReport& report, const std::vector<Budget>& budgets);

// The printed forms.
std::string size_output(const LinkReport& report, Grouping by, const std::vector<BudgetCheck>& budgets, Format format);
std::string diff_output(const LinkReport& old_report, const LinkReport& new_report, Grouping by, bool all,
                        const std::vector<BudgetCheck>& budgets, Format format);

const char* grouping_name(Grouping by);

}  // namespace orvsize
