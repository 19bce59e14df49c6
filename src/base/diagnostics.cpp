#include "base/diagnostics.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <cstdio>
#include <string>

#include "base/findings.h"
#include "base/gnu_messages.h"

#include "platform/console_text.h"
#include "platform/heap_reserve.h"
#include "platform/memory_stream.h"

namespace orv {
namespace {

// Numbers without a text are not in use.
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
    "Invalid region declaration %s\n",
    "SECTION %s will not fit in region %s: overflowed by %s\n",
    "SECTION %s ADDRESS=%04lX lies outside every %s region\n",
    "Write error on %s\n",
    "Invalid image option %s\n",
    "Checksum %s lies inside its own range\n",
    "Checksum %s lies over the contents of SECTION %s in %s\n",
    "Checksum %s reaches above the address limit\n",
    "Checksums %s overlap\n",
    "Invalid symbol definition \"%s\"\n",
    "Orphan section. SECTION=%s ADDRESS=%04lX in %s\n",
    "Output file %s is the same file as %s\n",
};

// The columns a name takes once print_name has escaped it.
std::size_t printed_width(const char* name) { return console_text_width(name); }

// Prints a catalogue text with its arguments, as printf would for the
// conversions messages use: names ("%s", "%-24s") go through print_name and
// are padded to their width; any other conversion is a number, read as
// unsigned long long with "ll", unsigned long with "l" and unsigned without.
// Nothing here allocates, so that running out of memory can still be
// reported.
void print_message(std::FILE* stream, const char* text, va_list args) {
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '%') {
            std::fputc(*p, stream);
            continue;
        }
        const char* start = p++;
        bool left = false;
        while (*p == '-' || *p == '0') left = left || *p++ == '-';
        std::size_t width = 0;
        while (std::isdigit(static_cast<unsigned char>(*p)) && width < 100) width = width * 10 + std::size_t(*p++ - '0');
        int longs = 0;
        while (*p == 'l' && longs < 2) ++longs, ++p;
        if (*p == '\0') break;
        if (*p == '%') {
            std::fputc('%', stream);
        } else if (*p == 's') {
            const char* name = va_arg(args, const char*);
            if (name == nullptr) name = "(null)";
            std::size_t used = printed_width(name);
            if (!left) for (; used < width; ++used) std::fputc(' ', stream);
            print_name(stream, name);
            if (left) for (; used < width; ++used) std::fputc(' ', stream);
        } else {
            char conversion[16];
            std::size_t length = std::min(std::size_t(p - start + 1), sizeof conversion - 1);
            std::memcpy(conversion, start, length);
            conversion[length] = '\0';
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
            if (longs == 2) {
                std::fprintf(stream, conversion, va_arg(args, unsigned long long));
            } else if (longs == 1) {
                std::fprintf(stream, conversion, va_arg(args, unsigned long));
            } else {
                std::fprintf(stream, conversion, va_arg(args, unsigned));
            }
#pragma GCC diagnostic pop
        }
    }
}

void print_catalogue(std::FILE* stream, int number, ...) {
    va_list args;
    va_start(args, number);
    print_message(stream, error_text(number), args);
    va_end(args);
}

// Formats a catalogue text or continuation as print_message prints it, for
// the record of the run's findings.
std::string format_text(const char* format, va_list args) {
    MemoryStream stream;
    if (stream.file() == nullptr) throw std::bad_alloc();
    print_message(stream.file(), format, args);
    return stream.text();
}

bool held(const Console& console) { return console.findings != nullptr && console.findings->holding(); }

bool gnu_form(const Console& console) {
    return console.findings != nullptr && console.findings->format == DiagnosticsFormat::GNU;
}

std::string catalogue_text(int number, ...) {
    va_list args;
    va_start(args, number);
    std::string text = format_text(error_text(number), args);
    va_end(args);
    return text;
}

// The width of "ERROR NO.nn: ", so that a line stands under the message.
constexpr const char* DETAIL_INDENT = "             ";

void print_indented(std::FILE* stream, std::string_view line) {
    std::fputs(DETAIL_INDENT, stream);
    print_name(stream, line);
    std::fputc('\n', stream);
}

// An --explain line of a finding, kept as the console shows it.
void add_note(Finding& finding, std::string_view line) {
    std::string shown = printable_name(line);
    finding.text += DETAIL_INDENT + shown + "\n";
    finding.notes.push_back(std::move(shown));
}

}  // namespace

const char* error_text(int number) {
    const char* text = number >= 0 && number < ERROR_COUNT ? CATALOGUE[number] : nullptr;
    return text != nullptr ? text : "";
}

int exit_status_of(int number) {
    switch (number) {
    case ERR_FILE_NOT_FOUND:
    case ERR_INVALID_COMMAND:
    case ERR_INVALID_SECTION_INFO:
    case ERR_INVALID_PARAMETER:
    case ERR_NON_RELOCATABLE_NAME:
    case ERR_REGION_DECLARATION:
    case ERR_DEPENDENCY_FILE:
    case ERR_OUTPUT_EXCLUDES:
    case ERR_IMAGE_OPTION:
    case ERR_CHECKSUM_IN_RANGE:
    case ERR_CHECKSUM_LIMIT:
    case ERR_CHECKSUM_OVERLAP:
    case ERR_SYMBOL_DEFINITION:
    case ERR_OUTPUT_COLLISION:
        return 2;
    case ERR_OUT_OF_HEAP:
    case ERR_CANT_CREATE:
    case ERR_SEEK:
    case ERR_DISK_FULL:
    case ERR_CONSOLE_WRITE:
        return 3;
    case ERR_INTERNAL:
        return 4;
    default:
        return 1;
    }
}

void error_exit(int number, std::string_view argument) {
    // The reserve goes back to the heap, so that the error can be thrown.
    if (number == ERR_OUT_OF_HEAP) release_heap_reserve();
    throw LinkError(number, std::string(argument));
}

LinkError cant_create_error(std::string name, const std::string& reason) {
    LinkError error(ERR_CANT_CREATE, std::move(name));
    if (!reason.empty()) error.add_detail("the system says: " + reason);
    return error;
}

void cant_create_exit(std::string name, const std::string& reason) { throw cant_create_error(std::move(name), reason); }

void internal_error(const char* point) {
    error_exit(ERR_INTERNAL, point);
}

void hold_findings(const Console& console) {
    if (console.findings != nullptr) console.findings->hold();
}

void release_findings(const Console& console) {
    FindingLog* log = console.findings;
    if (log == nullptr || !log->holding()) return;
    log->stop_holding();
    const std::size_t count = log->entries().size();
    for (std::size_t i = log->held_from(); i < count; ++i) {
        const Finding& finding = log->at(i);
        if (log->format == DiagnosticsFormat::GNU) {
            // The last one may still get lines, as when it is printed at once.
            if (i + 1 < count) print_gnu_finding(console.out, finding);
        } else {
            std::fprintf(console.out, "ERROR NO.%d: ", finding.number);
            std::fputs(finding.text.c_str(), console.out);
        }
    }
    if (log->format == DiagnosticsFormat::CLASSIC) log->mark_printed();
}

int report_fatal(const Console& console, const LinkError& error, const FindingPlace& place) {
    release_findings(console);
    close_finding(console);
    if (error.is_silent()) {
        std::fflush(console.out);
        return error.silent_status();
    }
    // The record costs memory, so it is made only when the GNU form or the
    // SARIF log needs it; without that memory, the classic form is printed.
    bool printed = false;
    FindingLog* log = console.findings;
    if (log != nullptr && (log->format == DiagnosticsFormat::GNU || log->keep_fatal)) {
        try {
            Finding& finding = log->add(error.number(), catalogue_text(error.number(), error.argument().c_str(), error.second_argument().c_str()), true);
            for (const std::string& line : error.details()) add_note(finding, line);
            finding.place = place;
            log->mark_printed();
            if (log->format == DiagnosticsFormat::GNU) {
                print_gnu_finding(console.out, finding);
                printed = true;
            }
        } catch (const std::bad_alloc&) {
        }
    }
    if (!printed) {
        std::fprintf(console.out, "ERROR NO.%d: ", error.number());
        print_catalogue(console.out, error.number(), error.argument().c_str(), error.second_argument().c_str());
        for (const std::string& line : error.details()) print_indented(console.out, line);
    }
    std::fflush(console.out);
    std::fprintf(console.err, "%c", 7);
    std::fflush(console.err);
    return exit_status_of(error.number());
}

void report_listed(const Console& console, int number, ...) {
    va_list args;
    va_start(args, number);
    std::string text = format_text(error_text(number), args);
    va_end(args);
    close_finding(console);
    if (console.findings != nullptr) console.findings->add(number, text);
    if (gnu_form(console) || held(console)) return;
    std::fprintf(console.out, "ERROR NO.%d: ", number);
    std::fputs(text.c_str(), console.out);
}

void report_listed_more(const Console& console, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = format_text(format, args);
    va_end(args);
    Finding* finding = console.findings != nullptr ? console.findings->last() : nullptr;
    if (finding != nullptr) {
        // Text that goes on the message's own line is part of the message;
        // whole lines under it are the finding's lines.
        const bool own_lines = !finding->text.empty() && finding->text.back() == '\n';
        finding->text += text;
        if (own_lines) {
            for (std::string& line : split_lines(text)) finding->lines.push_back(std::move(line));
        } else {
            finding->message += text;
        }
    }
    if (held(console)) return;
    if (gnu_form(console)) {
        if (finding != nullptr && !console.findings->pending()) {
            for (const std::string& line : split_lines(text)) print_gnu_note(console.out, *finding, line);
        }
        return;
    }
    std::fputs(text.c_str(), console.out);
}

void place_finding(const Console& console, FindingPlace place) {
    Finding* finding = console.findings != nullptr ? console.findings->last() : nullptr;
    if (finding != nullptr) finding->place = std::move(place);
}

void relate_finding(const Console& console, RelatedPlace related) {
    Finding* finding = console.findings != nullptr ? console.findings->last() : nullptr;
    if (finding != nullptr) finding->related.push_back(std::move(related));
}

void mark_finding_warning(const Console& console) {
    Finding* finding = console.findings != nullptr ? console.findings->last() : nullptr;
    if (finding != nullptr) finding->warning = true;
}

void close_finding(const Console& console) {
    FindingLog* log = console.findings;
    if (log == nullptr || !log->pending() || log->holding()) return;
    log->mark_printed();
    if (log->format == DiagnosticsFormat::GNU) print_gnu_finding(console.out, *log->last());
}

void print_name(std::FILE* stream, const char* name) {
    print_name(stream, std::string_view(name != nullptr ? name : "(null)"));
}

namespace {

// A line of console text, built on the stack while it fits there (a line
// names at most a file and a module) and on the heap beyond.
class LineText {
public:
    void add(const char* text, std::size_t length) {
        if (large_.empty() && used_ + length <= sizeof small_) {
            std::memcpy(small_ + used_, text, length);
            used_ += length;
            return;
        }
        if (large_.empty()) large_.assign(small_, used_);
        large_.append(text, length);
    }
    void add(std::string_view text) { add(text.data(), text.size()); }

    void write_to(std::FILE* stream) const {
        if (large_.empty()) {
            std::fwrite(small_, 1, used_, stream);
        } else {
            std::fwrite(large_.data(), 1, large_.size(), stream);
        }
    }

private:
    char small_[256];
    std::size_t used_ = 0;
    std::string large_;
};

// A name as the console shows it (see console_text.h), the runs between
// escapes added whole. Nothing here allocates while the line fits its
// stack buffer.
void add_printable(LineText& line, std::string_view name) {
    for_console_text(name, [&](const char* bytes, std::size_t length) { line.add(bytes, length); });
}

}  // namespace

std::string printable_name(std::string_view name) { return console_text(name); }

void print_name(std::FILE* stream, std::string_view name) {
    LineText line;
    add_printable(line, name);
    line.write_to(stream);
}

// Pass 1 and pass 2 print one of these lines per module: built whole, it
// goes out with one write.
void print_processing(std::FILE* stream, const char* file, const char* member) {
    LineText line;
    line.add("processing \"");
    add_printable(line, file != nullptr ? file : "(null)");
    if (member != nullptr) {
        line.add(" ( ");
        add_printable(line, member);
        line.add(" )");
    }
    line.add("\"\n");
    line.write_to(stream);
}

namespace {

// Flushes a console stream; false when any of its output was lost.
bool flushed(std::FILE* stream) {
    bool written = std::fflush(stream) == 0;
    return written && std::ferror(stream) == 0;
}

}  // namespace

int settle_console(const Console& console, int status) {
    const bool out_written = flushed(console.out);
    const bool err_written = flushed(console.err);
    if (out_written && err_written) return status;
    // The message goes where it can still be read: standard error for a
    // lost standard output (with the bell, as every fatal error), standard
    // output for a lost standard error.
    if (!out_written && err_written) {
        std::fprintf(console.err, "ERROR NO.%d: ", ERR_CONSOLE_WRITE);
        print_catalogue(console.err, ERR_CONSOLE_WRITE, "standard output");
        std::fprintf(console.err, "%c", 7);
        std::fflush(console.err);
    } else if (out_written) {
        std::fprintf(console.out, "ERROR NO.%d: ", ERR_CONSOLE_WRITE);
        print_catalogue(console.out, ERR_CONSOLE_WRITE, "standard error");
        std::fflush(console.out);
    }
    return status == 0 ? exit_status_of(ERR_CONSOLE_WRITE) : status;
}

void print_detail(const Console& console, std::string_view line) {
    Finding* finding = console.findings != nullptr ? console.findings->last() : nullptr;
    if (finding != nullptr) add_note(*finding, line);
    if (held(console)) return;
    if (!gnu_form(console)) {
        print_indented(console.out, line);
    } else if (finding != nullptr && !console.findings->pending()) {
        // A line about findings already printed, such as their common cause.
        print_gnu_note(console.out, *finding, printable_name(line));
    }
}

}  // namespace orv
