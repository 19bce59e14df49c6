#include "pass1/input_faults.h"

#include <cstdio>
#include <cstring>
#include <exception>

#include "base/diagnostics.h"
#include "base/link_context.h"

namespace orv {
namespace {

// Which of pass 2's two handles on a module the check reads.
enum class Stream { MAIN, RELOCATION };

// Where a check's item lies relative to the reader's position: a count of
// bytes just read (a tag, a number), the position itself, or an item that
// ends just before it.
constexpr int AT_POSITION = 0;
constexpr int ENDS_BEFORE = -1;

struct CheckText {
    const char* point;
    int back;
    Stream stream;
    const char* expected;  // null: a check on the linker's own tables
};

// What each consistency check expected to read. The points of error 6; "7"
// and "30" stand for errors 7 and 30, found in the same readers.
const CheckText CHECKS[] = {
    {"1", 1, Stream::MAIN,
     "a record tag: F3, F4, F5, E0 or F6 in the module's first part, or F7, F8, F9, FA, E1 to E6 or "
     "FF, which open its second part"},
    {"1.5", 1, Stream::MAIN, "the format record's tag F0 as the first byte of a relocatable file"},
    {"2", 1, Stream::MAIN, "the version record's tag F1"},
    {"3", 1, Stream::MAIN, "the file-name record's tag F2"},
    {"4", 1, Stream::MAIN, "tag F0 before the module's source name"},
    {"5", 1, Stream::MAIN, "tag F1 before the list of requested relocatable files"},
    {"6", 1, Stream::MAIN, "tag F2 before the list of requested libraries"},
    {"7", 2, Stream::MAIN, "a unit number that counts the unit entries of its run from 0"},
    {"7.1", 1, Stream::MAIN, "public labels that name only units of their own module, whose records end here"},
    {"7.5", ENDS_BEFORE, Stream::MAIN, "a bit mask of exactly one bit (01, 02, 04, 08, 10, 20, 40 or 80)"},
    {"8", ENDS_BEFORE, Stream::MAIN, "no more index names than the module's index block counts"},
    {"8.1", 0, Stream::MAIN, nullptr},
    {"9", AT_POSITION, Stream::MAIN, "the rest of a number"},
    {"10", AT_POSITION, Stream::MAIN, "the rest of a name and its zero byte"},
    {"11", AT_POSITION, Stream::MAIN, "the rest of an over-long name and its zero byte"},
    {"12", 1, Stream::MAIN, "the library header's tag F0 as the first byte of a library"},
    {"13", 1, Stream::MAIN, "tag F2 in the library header"},
    {"14", 1, Stream::MAIN, "tag F3 (the module count) in the library header"},
    {"15", 1, Stream::MAIN, "tag F4 in the library header"},
    {"16", 1, Stream::MAIN, "tag FF that closes the library header"},
    {"17", 1, Stream::MAIN, "tag F0 that opens a module entry (or the header counts more modules than follow)"},
    {"18", 1, Stream::MAIN, "tag F1 before a module entry's sizes"},
    {"19", 1, Stream::MAIN, "tag F2 in a module entry"},
    {"20", 1, Stream::MAIN, "tag F8 that opens the module's trailer, after its units and external references"},
    {"20.1", 1, Stream::MAIN, "tag FF that closes the module's trailer"},
    {"21", 1, Stream::MAIN, "tag F4 that opens the module's index block"},
    {"21.1", ENDS_BEFORE, Stream::MAIN, "index block sizes that the rest of the library can hold"},
    {"22", 1, Stream::MAIN, "an index record tag (F5, F6, FA) or the end of the index (F3, F7, F8)"},
    {"23", ENDS_BEFORE, Stream::MAIN, "index names within the size that the index block announces"},
    {"24", 0, Stream::MAIN, nullptr},
    {"24.1", 0, Stream::MAIN, nullptr},
    {"24.2", 1, Stream::RELOCATION, "a relocation, contents or debug record where pass 1 stopped"},
    {"24.3", 1, Stream::MAIN, "a relocation, contents or debug record tag"},
    {"24.4", 2, Stream::MAIN, "a unit number of the module's own units in a contents record"},
    {"24.5", 2, Stream::RELOCATION, "a unit number of the module's own units in a relocation record"},
    {"25", 1, Stream::MAIN, "a unit, name or constant operand (F0, F1, F2) as an expression's leading term"},
    {"25.5", 2, Stream::RELOCATION, "a unit number of the module's own units in a unit operand"},
    {"26", 1, Stream::MAIN, "an operator, prefix or operand code, or the expression's end byte FF"},
    {"26.1", 4, Stream::MAIN, "a data block length of 0 (the end of the record) or at least 3"},
    {"26.2", AT_POSITION, Stream::MAIN, "a relocated field that ends inside its data block"},
    {"26.4", AT_POSITION, Stream::MAIN, "no more data bytes than the unit's size holds"},
    {"26.3", ENDS_BEFORE, Stream::RELOCATION,
     "relocation entries in address order, each applied while its unit's contents are written"},
    {"26.5", 1, Stream::RELOCATION, "a record tag after the relocation record's end"},
    {"27", 1, Stream::RELOCATION, "a binary operator or the expression's end byte FF"},
    {"27.1", ENDS_BEFORE, Stream::RELOCATION, "an expression that does not divide by 0"},
    {"27.2", ENDS_BEFORE, Stream::RELOCATION, "an expression whose quotient fits 32 bits"},
    {"27.5", ENDS_BEFORE, Stream::RELOCATION, "a bit-address field of 1 or 2 bytes"},
    {"28", ENDS_BEFORE, Stream::RELOCATION, "a relative-jump field of 1 or 2 bytes"},
    {"29", ENDS_BEFORE, Stream::RELOCATION, "a value field of 1 to 4 bytes"},
    {"30", ENDS_BEFORE, Stream::RELOCATION, "a relocation type: 04, 10 to 15 or FF"},
    {"31", ENDS_BEFORE, Stream::RELOCATION,
     "a name that the link knows (the module's external references lack it)"},
    {"32", 1, Stream::RELOCATION, "the prefix 80 before a section-size operand"},
    {"33", ENDS_BEFORE, Stream::RELOCATION, "the name of a section that some module of the link has"},
    {"34", 1, Stream::RELOCATION, "an operand code: F0, F1, F2 or F3"},
    {"34.5", ENDS_BEFORE, Stream::MAIN, "a local bit symbol's mask of exactly one bit"},
    {"35", 1, Stream::MAIN, "a debug record tag, or the module's end tag FF"},
};

const CheckText FORMAT_CHECK = {"", ENDS_BEFORE, Stream::MAIN,
                                "the format text VER.A (a relocatable file's may go on after it)"};
const CheckText EXTEND_AREA_CHECK = {"", ENDS_BEFORE, Stream::MAIN,
                                     "a unit address below 10000, or the option -BANK"};

const CheckText* check_of(const LinkError& error) {
    switch (error.number()) {
    case ERR_FORMAT_MISMATCH:
        return &FORMAT_CHECK;
    case ERR_EXTEND_AREA:
        return &EXTEND_AREA_CHECK;
    case ERR_INTERNAL:
        for (const CheckText& check : CHECKS) {
            if (error.argument() == check.point) return &check;
        }
        return nullptr;
    default:
        return nullptr;
    }
}

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The fault of a check whose reader stood at `position` in `file`.
InputFault fault_at(const CheckText& check, InputPosition position, std::string file) {
    InputFault fault;
    fault.file = std::move(file);
    fault.expected = check.expected;
    fault.at_end = position.ended;
    fault.offset = position.offset;
    if (!position.ended) {
        if (check.back == ENDS_BEFORE) {
            fault.item_before = true;
        } else if (check.back > 0 && position.offset >= check.back) {
            fault.offset = position.offset - check.back;
        }
    }
    return fault;
}

}  // namespace

InputPosition input_position(const ImageCursor& input) { return {input.tell(), input.ended()}; }

InputInUse::InputInUse(LinkContext& ctx, const char* file, const ImageCursor& input,
                       const ImageCursor* relocation_input, const char* member)
    : ctx_(ctx), file_(file), member_(member), input_(input), relocation_input_(relocation_input),
      exceptions_(std::uncaught_exceptions()) {}

InputInUse::~InputInUse() {
    if (!ctx_.options.explain || std::uncaught_exceptions() <= exceptions_) return;
    if (ctx_.explain.stopped_input) return;
    StoppedInput stopped;
    stopped.file = module_name(file_, member_);
    stopped.main = input_position(input_);
    if (relocation_input_ != nullptr) {
        stopped.has_relocation = true;
        stopped.relocation = input_position(*relocation_input_);
    }
    ctx_.explain.stopped_input = std::move(stopped);
}

std::optional<InputFault> locate_input_fault(const LinkContext& ctx, const LinkError& error) {
    const CheckText* check = check_of(error);
    if (check == nullptr) return std::nullopt;
    if (check->expected == nullptr) return InputFault{};  // no place in the input
    if (!ctx.explain.stopped_input) return std::nullopt;
    const StoppedInput& stopped = *ctx.explain.stopped_input;
    // The handle that met the end of the file is the one that failed;
    // otherwise the one the check reads.
    InputPosition position = stopped.main;
    if (stopped.has_relocation &&
        (stopped.relocation.ended || (!stopped.main.ended && check->stream == Stream::RELOCATION))) {
        position = stopped.relocation;
    }
    return fault_at(*check, position, stopped.file);
}

std::string damaged_input_text(const LinkError& error, const ImageCursor& input) {
    char message[64];
    std::snprintf(message, sizeof message, error_text(error.number()), error.argument().c_str());
    for (char* end = message + std::strlen(message); end != message && end[-1] == '\n';) *--end = '\0';
    const CheckText* check = check_of(error);
    if (check == nullptr || check->expected == nullptr) return message;
    const InputFault fault = fault_at(*check, input_position(input), "");
    const std::string where = input_fault_text(fault);
    // The place without the file name, which the caller gives.
    return std::string(message) + ": " + where.substr(2);
}


std::string input_fault_text(const InputFault& fault) {
    if (fault.expected.empty()) return "a check on the linker's own tables: no input alone causes it";
    char offset[32];
    std::snprintf(offset, sizeof offset, "0x%06lX", static_cast<unsigned long>(fault.offset));
    std::string where = fault.file + ", ";
    if (fault.at_end) {
        where += std::string("offset ") + offset + " (the end of the file)";
    } else if (fault.item_before) {
        where += std::string("before offset ") + offset;
    } else {
        where += std::string("offset ") + offset;
    }
    return where + ": expected " + fault.expected;
}

namespace {

bool host_file_exists(const std::string& name) {
    std::FILE* file = open_host_file(name, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

// Error 0 for a name typed into the wrong field: NAME.ROV is missing where
// NAME.LIB exists, or the reverse; and the module whose request was not found.
void explain_other_field(LinkContext& ctx, LinkError& error) {
    const std::string& name = error.argument();
    if (name.size() > 4 && (ends_with(name, ".ROV") || ends_with(name, ".LIB"))) {
        const bool object = ends_with(name, ".ROV");
        std::string other = name.substr(0, name.size() - 4) + (object ? ".LIB" : ".ROV");
        // "UART.ROV" typed as a library became "UART.ROV.LIB".
        if (!object && ends_with(other, ".ROV.ROV")) other = name.substr(0, name.size() - 4);
        if (host_file_exists(other)) {
            error.add_detail(other + " exists: " + (object ? "libraries go in the second field, after the first comma"
                                                            : "relocatable files go in the first field"));
        }
    }
    const char* requester = nullptr;
    for (const RequestedFile* node = ctx.reader.requested_files; node != nullptr; node = node->next) {
        if (name == node->name && requester == nullptr) requester = node->requested_by;
    }
    for (const RequestedLib* node = ctx.reader.requested_libs; node != nullptr; node = node->next) {
        if (ends_with(name, node->name) && requester == nullptr) requester = node->requested_by;
    }
    if (requester != nullptr) error.add_detail("requested by the module " + std::string(requester));
}

}  // namespace

void explain_fatal(LinkContext& ctx, LinkError& error) {
    if (!explaining(ctx)) error.drop_details();
    if (!explaining(ctx) || error.is_silent()) return;
    if (std::optional<InputFault> fault = locate_input_fault(ctx, error)) {
        error.add_detail(input_fault_text(*fault));
        ctx.explain.input_fault = std::move(fault);
    }
    // A library typed into the relocatable-files field gets ".ROV" added
    // behind its own extension and is then not found.
    if (error.number() == ERR_FILE_NOT_FOUND && ends_with(error.argument(), ".LIB.ROV") &&
        times_listed(ctx, error.argument().c_str()) > 0) {
        std::string library = error.argument().substr(0, error.argument().size() - 4);
        error.add_detail(library + " stands among the relocatable files: libraries go in the " +
                         "second field, after the first comma");
    } else if (error.number() == ERR_FILE_NOT_FOUND) {
        explain_other_field(ctx, error);
    }
}

}  // namespace orv
