#pragma once
#include <string>
#include <vector>

namespace orv {

// A numbered finding as it was printed: its number and its whole text (the
// message and any lines under it), without the final line end.
struct Finding {
    int number;
    std::string text;
};

// The listed findings of a run in the order they were printed.
class FindingLog {
public:
    void add(int number, std::string text) { entries_.push_back(Finding{number, std::move(text)}); }

    // Appends to the finding recorded last; text before any finding is dropped.
    void append(const std::string& text) {
        if (!entries_.empty()) entries_.back().text += text;
    }

    const std::vector<Finding>& entries() const { return entries_; }

private:
    std::vector<Finding> entries_;
};

}  // namespace orv
