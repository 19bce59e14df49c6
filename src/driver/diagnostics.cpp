#include "driver/diagnostics.h"

#include <cstdio>

namespace orv {
namespace {

const char* const CATALOGUE[ERROR_COUNT] = {
    "%s File not found\n",
    "Invalid command input\n",
    "Out of heap space\n",
    "Invalid section information\n",
    "Invalid parameter input \"%s\"\n",
    "Non relocatable file name\n",
    "Internal error at POINT %s\n",
    "%s relocatable format is mismatch\n",
    "Program version is different\n",
    "Unresolved label \"%s\" in %s\n",
    "\"%s\" is multiple defined in %s. others in %s\n",
    "Location overlap. SECTION=%s ADDRESS=%04lX in %s ",
    "SECTION %s is an absolute\n",
    "SECTION %s overlap in section information\n",
    "Can't find SECTION %s\n",
    "Can't create %s\n",
    "File seek error %s\n",
    "Expression value is out of range.\n             SECTION=%s ADDRESS=%04lX OFFSET=%04lX\n",
    "Out of disk space\n",
    "Relative jump is out of range.\n             SECTION=%s ADDRESS=%04lX OFFSET=%04lX\n",
    "Expression is out of DP range.\n             SECTION=%s ADDRESS=%06lX OFFSET=%06lX\n",
    "Expression is out of DT range.\n             SECTION=%s ADDRESS=%06lX OFFSET=%06lX\n",
    "Out of maximum program size\n",
    "Section type mismatch in SECTION %s\n",
    "Pointer length mismatch\n",
    "Expression is out of ZERO page.\n             SECTION=%s ADDRESS=%04lX OFFSET=%04lX\n",
    "Expression is out of SPECIAL page.\n             SECTION=%s ADDRESS=%04lX OFFSET=%04lX\n",
    "label \"%s\" type is mismatch.\n",
    "Section \"%s\" information is out of range.\n",
    "Bit value is out of range.\n             SECTION=%s ADDRESS=%04lX OFFSET=%04lX\n",
    "Extend area requires command option \"-BANK\".\n",
    "Can't write dependency file %s\n",
    "\"--output\" can't be used with \"%s\"\n",
};

}  // namespace

const char* error_text(int number) {
    return number >= 0 && number < ERROR_COUNT ? CATALOGUE[number] : "";
}

int exit_status_of(int number) {
    switch (number) {
    case ERR_FILE_NOT_FOUND:
    case ERR_INVALID_COMMAND:
    case ERR_INVALID_SECTION_INFO:
    case ERR_INVALID_PARAMETER:
    case ERR_NON_RELOCATABLE_NAME:
    case ERR_DEPENDENCY_FILE:
    case ERR_OUTPUT_EXCLUDES:
        return 2;
    case ERR_OUT_OF_HEAP:
    case ERR_CANT_CREATE:
    case ERR_SEEK:
    case ERR_DISK_FULL:
        return 3;
    case ERR_INTERNAL:
        return 4;
    default:
        return 1;
    }
}

void error_exit(int number, std::string_view argument) {
    throw LinkError(number, std::string(argument));
}

void internal_error(const char* point) {
    error_exit(ERR_INTERNAL, point);
}

int report_fatal(const Console& console, const LinkError& error) {
    if (error.is_silent()) {
        std::fflush(console.out);
        return error.silent_status();
    }
    std::fprintf(console.out, "ERROR NO.%d: ", error.number());
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    std::fprintf(console.out, error_text(error.number()), error.argument().c_str());
#pragma GCC diagnostic pop
    std::fflush(console.out);
    std::fprintf(console.err, "%c", 7);
    std::fflush(console.err);
    return exit_status_of(error.number());
}

void report_listed(const Console& console, int number, ...) {
    std::fprintf(console.out, "ERROR NO.%d: ", number);
    va_list args;
    va_start(args, number);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vfprintf(console.out, error_text(number), args);
#pragma GCC diagnostic pop
    va_end(args);
}

}  // namespace orv
