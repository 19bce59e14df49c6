#include "base/name_hints.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace orv {
namespace {

char lower(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }

// The edit distance without regard to letter case, counted no higher than
// `limit` + 1 (the rows stop once every cell is past it).
std::size_t edit_distance(std::string_view a, std::string_view b, std::size_t limit) {
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit) return limit + 1;
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        std::size_t lowest = row[0];
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1)});
            diagonal = above;
            lowest = std::min(lowest, row[j]);
        }
        if (lowest > limit) return limit + 1;
    }
    return row[b.size()];
}

}  // namespace

bool likely_meant(std::string_view typed, std::string_view candidate) {
    if (typed == candidate || typed.size() < 3 || candidate.size() < 3) return false;
    // A long name typed without its first or last words (memory-usage for
    // print-memory-usage).
    if (typed.size() >= 6 && candidate.size() > typed.size()) {
        const std::size_t rest = candidate.size() - typed.size();
        if (candidate.substr(0, typed.size()) == typed && candidate[typed.size()] == '-') return true;
        if (candidate.substr(rest) == typed && candidate[rest - 1] == '-') return true;
    }
    const std::size_t limit = typed.size() >= 6 ? 2 : 1;
    return edit_distance(typed, candidate, limit) <= limit;
}

}  // namespace orv
