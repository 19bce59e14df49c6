#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A link report (docs/link-report.md) read back as the sizes orvsize shows.
namespace orvsize {

// The groupings of --by.
enum class Grouping { REGION, SECTION, LIBRARY, MODULE, FUNCTION };

// One row of a grouping: what it names, its kind (ROM, RAM, or - for the
// zero and special pages) and its bytes. Regions also have their size.
struct SizeRow {
    std::string name;
    std::string module;  // a function's module; empty for the other groupings
    std::string kind;
    int64_t bytes = 0;
    int64_t capacity = -1;  // a region's size
};

struct LinkReport {
    std::vector<SizeRow> regions, sections, libraries, modules, functions;
    int64_t rom = 0, ram = 0;  // the totals
    const std::vector<SizeRow>& rows(Grouping by) const;
};

// The version of the link report this program reads.
constexpr int REPORT_VERSION = 2;

class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a link report's text; throws ReportError when it is not a link
// report or one of another version.
LinkReport read_link_report(std::string_view text);

}  // namespace orvsize
