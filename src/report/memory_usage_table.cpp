#include "report/memory_usage_table.h"

#include <string>

#include "platform/console_text.h"

namespace orv {
namespace {

// "%10u B " or "%10u KB" or "%10u MB": all three are 13 characters wide, so
// the columns stay under their headings.
std::string size_field(int64_t bytes) {
    char buffer[40];
    const auto value = static_cast<unsigned long long>(bytes);
    if (bytes != 0 && bytes % (1024 * 1024) == 0) {
        std::snprintf(buffer, sizeof buffer, "%10llu MB", value / (1024 * 1024));
    } else if (bytes != 0 && bytes % 1024 == 0) {
        std::snprintf(buffer, sizeof buffer, "%10llu KB", value / 1024);
    } else {
        std::snprintf(buffer, sizeof buffer, "%10llu B ", value);
    }
    return buffer;
}

}  // namespace

void print_memory_usage(std::FILE* out, const std::vector<UsageRow>& rows) {
    std::fputs("Memory region         Used Size  Region Size  %age Used\n", out);
    for (const UsageRow& row : rows) {
        const std::string name = console_text(row.name);
        std::string line(64 + name.size(), '\0');
        int length = std::snprintf(line.data(), line.size(), "%16s: ", name.c_str());
        line.resize(std::size_t(length > 0 ? length : 0));
        line += size_field(row.used);
        line += size_field(row.size());
        if (row.size() != 0) {
            char percent[40];
            std::snprintf(percent, sizeof percent, "    %6.2f%%", double(row.used) * 100.0 / double(row.size()));
            line += percent;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        line += '\n';
        std::fputs(line.c_str(), out);
    }
}

}  // namespace orv
