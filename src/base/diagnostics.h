#pragma once
#include <cstdarg>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "base/findings.h"
#include "platform/console.h"

namespace orv {

// Error numbers of the catalogue that code refers to by name.
enum ErrorNo : int {
    ERR_FILE_NOT_FOUND = 0,
    ERR_INVALID_COMMAND = 1,
    ERR_OUT_OF_HEAP = 2,
    ERR_INVALID_SECTION_INFO = 3,
    ERR_INVALID_PARAMETER = 4,
    ERR_NON_RELOCATABLE_NAME = 5,
    ERR_INTERNAL = 6,
    ERR_FORMAT_MISMATCH = 7,
    ERR_VERSION_DIFFERENT = 8,
    ERR_UNRESOLVED = 9,
    ERR_MULTIPLE_DEFINED = 10,
    ERR_LOCATION_OVERLAP = 11,
    ERR_SECTION_ABSOLUTE = 12,
    ERR_SECTION_INFO_OVERLAP = 13,
    ERR_SECTION_NOT_FOUND = 14,
    ERR_CANT_CREATE = 15,
    ERR_SEEK = 16,
    ERR_VALUE_RANGE = 17,
    ERR_DISK_FULL = 18,
    ERR_RELATIVE_RANGE = 19,
    ERR_DP_RANGE = 20,
    ERR_DT_RANGE = 21,
    ERR_PROGRAM_SIZE = 22,
    ERR_SECTION_TYPE = 23,
    ERR_POINTER_LENGTH = 24,
    ERR_ZERO_PAGE = 25,
    ERR_SPECIAL_PAGE = 26,
    ERR_LABEL_TYPE = 27,
    ERR_SECTION_INFO_RANGE = 28,
    ERR_BIT_RANGE = 29,
    ERR_EXTEND_AREA = 30,
    // Findings of the long options and of the console.
    ERR_DEPENDENCY_FILE = 31,
    ERR_OUTPUT_EXCLUDES = 32,
    ERR_REGION_DECLARATION = 33,
    ERR_REGION_OVERFLOW = 34,
    ERR_OUTSIDE_REGIONS = 35,
    ERR_CONSOLE_WRITE = 36,
    // Findings of the image options.
    ERR_IMAGE_OPTION = 37,
    ERR_CHECKSUM_IN_RANGE = 38,
    ERR_CHECKSUM_ON_CONTENTS = 39,
    ERR_CHECKSUM_LIMIT = 40,
    ERR_CHECKSUM_OVERLAP = 41,
    // Start-up code and layout: --defsym and --orphan-handling.
    ERR_SYMBOL_DEFINITION = 42,
    ERR_ORPHAN_SECTION = 43,
    // Outputs that would replace an input or each other.
    ERR_OUTPUT_COLLISION = 44,
};

constexpr int ERROR_COUNT = 45;

// The catalogue text of an error number, with its printf placeholders.
const char* error_text(int number);

// The exit status that a fatal error of this number ends the run with.
int exit_status_of(int number);

// A fatal error on its way to main. It carries the error number and the one
// text argument of its message. A run that must end with a status but no
// further message (the end-of-pass-1 report) uses `silent_exit`.
class LinkError : public std::exception {
public:
    LinkError(int number, std::string argument) : number_(number), argument_(std::move(argument)) {}

    static LinkError silent_exit(int status) {
        LinkError e(-1, {});
        e.silent_status_ = status;
        return e;
    }

    // A message with two names (error 45) carries the second here.
    LinkError(int number, std::string argument, std::string second)
        : number_(number), argument_(std::move(argument)), second_(std::move(second)) {}

    int number() const { return number_; }
    const std::string& argument() const { return argument_; }
    const std::string& second_argument() const { return second_; }
    bool is_silent() const { return number_ < 0; }
    int silent_status() const { return silent_status_; }
    const char* what() const noexcept override { return "orvlink fatal error"; }

    // Lines that --explain adds after the message: what and where.
    void add_detail(std::string line) { details_.push_back(std::move(line)); }
    const std::vector<std::string>& details() const { return details_; }
    // Code that cannot see the options adds its lines anyway; without
    // --explain the driver drops them before the message is printed.
    void drop_details() { details_.clear(); }

private:
    int number_;
    std::string argument_;
    std::string second_;
    std::vector<std::string> details_;
    int silent_status_ = 0;
};

// Ends the run with a fatal error: unwinds to the driver, which prints the
// message, rings the bell and returns the error's exit status.
[[noreturn]] void error_exit(int number, std::string_view argument = {});

// Error 15 for the file `name`. The host's reason, when it gave one, is the
// --explain line ("the system says: Permission denied").
LinkError cant_create_error(std::string name, const std::string& reason);
[[noreturn]] void cant_create_exit(std::string name, const std::string& reason);

// Internal error 6 at a consistency-check point such as "24.1".
[[noreturn]] void internal_error(const char* point);

// Prints the fatal error's message and bell; returns the exit status. The
// place is where the run stopped, for the GNU form and the SARIF log.
int report_fatal(const Console& console, const LinkError& error, const FindingPlace& place = {});

// Prints "ERROR NO.%d: " and the catalogue text formatted with the given
// arguments, for the findings that do not stop the link.
void report_listed(const Console& console, int number, ...);

// Further text of the listed finding just printed (a library module, the
// lines under a finding): `format` with its arguments, printed and recorded
// with it.
void report_listed_more(const Console& console, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Where the listed finding just printed points, and a second place it
// concerns. Set right after report_listed: the GNU form prints a finding
// once it is complete.
void place_finding(const Console& console, FindingPlace place);
void relate_finding(const Console& console, RelatedPlace related);
// The listed finding just printed is a warning: it does not fail the link.
void mark_finding_warning(const Console& console);

// Holds the findings listed from now on unprinted, until they are released
// in the order they came (a module's findings wait for its source lines).
void hold_findings(const Console& console);
void release_findings(const Console& console);

// Prints the finding that waits for its last lines (GNU form); a console
// line of its own must not come between a finding and its notes.
void close_finding(const Console& console);

// Every message shows a name as console_text does: a name from a damaged
// file must not reach the terminal as control sequences.
void print_name(std::FILE* stream, const char* name);
void print_name(std::FILE* stream, std::string_view name);
std::string printable_name(std::string_view name);

// The progress line of a file, or of a library's module, that a pass reads:
// "processing "NAME"" or "processing "LIBRARY ( MODULE )"", names escaped.
void print_processing(std::FILE* stream, const char* file, const char* member = nullptr);

// Ends a run that would return `status`: flushes the console streams, and
// when either could not be written, says so on the other one (error 36) and
// turns a successful status into that error's. A failed status is kept: it
// still tells what went wrong, as the lost messages would have.
int settle_console(const Console& console, int status);

// Prints one line that --explain adds after a message, indented as the
// catalogue's own second lines are.
void print_detail(const Console& console, std::string_view line);

}  // namespace orv
