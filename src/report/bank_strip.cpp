#include "report/bank_strip.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "placement/unit_values.h"
#include "report/memory_usage.h"

namespace orv {
namespace {

double unit_width(int64_t bytes) { return 22.0 + 9.0 * std::log2(1.0 + double(bytes)); }
double gap_width(int64_t bytes) { return 14.0 + 6.0 * std::log2(1.0 + double(bytes)); }

class StripBuilder {
public:
    explicit StripBuilder(BankStrip& strip) : strip_(strip) {}

    void add(const Unit* unit, int64_t start, int64_t end) {
        double width = std::min(unit != nullptr ? unit_width(end - start) : gap_width(end - start), STRIP_WIDTH);
        if (x_ > 0 && x_ + width > STRIP_WIDTH) {
            ++line_;
            x_ = 0;
        }
        strip_.blocks.push_back(StripBlock{unit, start, end, line_, x_, width});
        x_ += width;
        strip_.lines = line_ + 1;
    }

private:
    BankStrip& strip_;
    int line_ = 0;
    double x_ = 0;
};

}  // namespace

BankStrip lay_out_bank(int64_t base, const std::vector<const Unit*>& units, const std::vector<Region>& regions) {
    BankStrip strip;
    strip.base = base;
    const int64_t bank_end = base + BANK_SIZE;
    std::vector<int64_t> cuts;
    for (const Region& region : regions) {
        cuts.push_back(region.start);
        cuts.push_back(region.end + 1);
    }
    std::sort(cuts.begin(), cuts.end());

    StripBuilder builder(strip);
    auto add_free = [&](int64_t from, int64_t to) {
        while (from < to) {
            auto cut = std::upper_bound(cuts.begin(), cuts.end(), from);
            int64_t stop = cut != cuts.end() && *cut < to ? *cut : to;
            builder.add(nullptr, from, stop);
            from = stop;
        }
    };
    int64_t cursor = base;
    for (const Unit* unit : units) {
        const int64_t start = unit_address(*unit);
        const int64_t end = start + unit_size(*unit);
        if (start > cursor) add_free(cursor, start);
        builder.add(unit, start, end);
        cursor = std::max(cursor, end);
    }
    add_free(cursor, bank_end);
    return strip;
}

std::vector<BankStrip::Stretch> BankStrip::stretches(int64_t start, int64_t end) const {
    std::map<int, std::pair<double, double>> by_line;  // line -> (left, right)
    for (const StripBlock& block : blocks) {
        double left, right;
        if (block.end == block.start) {
            if (block.start < start || block.start >= end) continue;
            left = block.x;
            right = block.x + block.width;
        } else {
            const int64_t from = std::max(block.start, start);
            const int64_t to = std::min(block.end, end);
            if (from >= to) continue;
            const double scale = block.width / double(block.end - block.start);
            left = block.x + double(from - block.start) * scale;
            right = block.x + double(to - block.start) * scale;
        }
        auto [at, added] = by_line.emplace(block.line, std::make_pair(left, right));
        if (!added) {
            at->second.first = std::min(at->second.first, left);
            at->second.second = std::max(at->second.second, right);
        }
    }
    std::vector<Stretch> result;
    for (const auto& [line, span] : by_line) result.push_back(Stretch{line, span.first, span.second - span.first});
    return result;
}

}  // namespace orv
