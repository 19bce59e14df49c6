#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// How messages are printed: `CLASSIC` as "ERROR NO.n: " and the catalogue's
// lines, `GNU` as one "LOCATION: SEVERITY: TEXT [ORVnn]" line each, which
// editors and IDEs jump from.
enum class DiagnosticsFormat { CLASSIC, GNU };

// Where a finding points: the input file and module, the section and
// address of the byte, and the source line when the module's line table
// knows it. Every part is optional (empty, or 0 for the line).
struct FindingPlace {
    std::string file;    // the object or library file, as the linker names it
    std::string module;  // FILE, or LIBRARY(MODULE)
    std::string section;
    bool has_address = false;
    uint32_t address = 0;
    std::string source;  // the source file of the module's line table
    uint32_t line = 0;
    std::string function;
    // The unit and address of the byte, for the lookup of its source line.
    int32_t unit_no = -1;
};

// A second place a finding concerns: the other side of an overlap, a
// contributor of a region. `message` says what it is.
struct RelatedPlace {
    std::string message;
    FindingPlace place;
};

// A numbered message as it was printed: its number, its whole text as the
// classic form shows it (the message, the lines under it and the --explain
// lines, without "ERROR NO.n: "), and the same split into its parts.
struct Finding {
    int number = 0;
    bool fatal = false;
    bool warning = false;  // listed without failing the link (besides 23, 24 and 27)
    std::string text;
    std::string message;             // the catalogue text with any tail on its lines
    std::vector<std::string> lines;  // lines under the message that it always has
    std::vector<std::string> notes;  // lines that --explain adds
    FindingPlace place;
    std::vector<RelatedPlace> related;
};

// The findings of a run in the order they were printed, and how the console
// shows them. In the GNU form a finding is printed once it is complete: when
// the next message or console line comes, or the run ends.
class FindingLog {
public:
    DiagnosticsFormat format = DiagnosticsFormat::CLASSIC;
    bool keep_fatal = false;  // a fatal error is recorded too (for the SARIF log)

    Finding& add(int number, std::string message, bool fatal = false) {
        Finding finding;
        finding.number = number;
        finding.fatal = fatal;
        finding.text = message;
        finding.message = std::move(message);
        entries_.push_back(std::move(finding));
        pending_ = true;
        return entries_.back();
    }

    // The finding recorded last; null before the first.
    Finding* last() { return entries_.empty() ? nullptr : &entries_.back(); }

    // Whether the last finding still waits to be printed (GNU form).
    bool pending() const { return pending_ && !entries_.empty(); }
    void mark_printed() { pending_ = false; }

    // While a module's findings are held, none of them is printed: its
    // source lines are read after its contents, and each finding gets its
    // line before it is printed. `held_from` is the first one held.
    bool holding() const { return holding_; }
    std::size_t held_from() const { return held_from_; }
    void hold() {
        holding_ = true;
        held_from_ = entries_.size();
    }
    void stop_holding() { holding_ = false; }
    Finding& at(std::size_t i) { return entries_[i]; }

    const std::vector<Finding>& entries() const { return entries_; }

private:
    std::vector<Finding> entries_;
    bool pending_ = false;
    bool holding_ = false;
    std::size_t held_from_ = 0;
};

}  // namespace orv
