#pragma once
#include <cstdarg>
#include <exception>
#include <string>
#include <string_view>

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
    // Findings of the long options.
    ERR_DEPENDENCY_FILE = 31,
    ERR_OUTPUT_EXCLUDES = 32,
};

constexpr int ERROR_COUNT = 33;

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

    int number() const { return number_; }
    const std::string& argument() const { return argument_; }
    bool is_silent() const { return number_ < 0; }
    int silent_status() const { return silent_status_; }
    const char* what() const noexcept override { return "orvlink fatal error"; }

private:
    int number_;
    std::string argument_;
    int silent_status_ = 0;
};

// Ends the run with a fatal error: unwinds to the driver, which prints the
// message, rings the bell and returns the error's exit status.
[[noreturn]] void error_exit(int number, std::string_view argument = {});

// Internal error 6 at a consistency-check point such as "24.1".
[[noreturn]] void internal_error(const char* point);

// Prints the fatal error's message and bell; returns the exit status.
int report_fatal(const Console& console, const LinkError& error);

// Prints "ERROR NO.%d: " and the catalogue text formatted with the given
// arguments, for the findings that do not stop the link.
void report_listed(const Console& console, int number, ...);

}  // namespace orv
