#include "orvlib/image_walk.h"

#include <string>

#include "format/record_tags.h"
#include "format/record_walk.h"

namespace orvlib {
namespace {

using namespace orv;  // the record tags, expression codes and record walkers

void header(ByteCursor& in) {
    in.expect(TAG_FORMAT, "the format record");
    std::size_t text_at = in.pos();
    std::string format = in.name("the format text");
    if (format.compare(0, OBJECT_FORMAT.size(), OBJECT_FORMAT) != 0 || format.size() < OBJECT_FORMAT.size()) {
        throw FormatError(text_at,
                          "format text \"" + format + "\" does not start with " + std::string(OBJECT_FORMAT));
    }
    in.expect(TAG_VERSION, "the version record");
    in.name("the version text");
    in.expect(TAG_FILE_NAMES, "the file-name record");
    in.expect(TAG_SOURCE, "the source name");
    in.name("the source name");
    in.expect(TAG_REQUESTED_FILES, "the requested files");
    while (!in.name("the requested files").empty()) {}
    in.expect(TAG_REQUESTED_LIBS, "the requested libraries");
    while (!in.name("the requested libraries").empty()) {}
}

// Entries of value and name up to the entry {0, ""}; `width` is the value's.
void named_values(ByteCursor& in, int width, const char* what) {
    uint32_t value = 0;
    std::string_view name;
    for (;;) {
        ListStep step = read_named_value(in.image(), width, value, name);
        if (step == ListStep::IMAGE_ENDED) throw in.ended(what);
        if (step == ListStep::LIST_END) return;
    }
}

void bit_entries(ByteCursor& in, const char* what) {
    uint32_t mask = 0, address = 0;
    std::string_view name;
    for (;;) {
        std::size_t at = in.pos();
        ListStep step = read_bit_entry(in.image(), mask, address, name);
        if (step == ListStep::IMAGE_ENDED) throw in.ended(what);
        if (step == ListStep::LIST_END) return;
        check_bit_mask(mask, at);
    }
}

// Reads the pass-1 records; returns the stop tag, consumed.
uint8_t pass1_records(ByteCursor& in) {
    uint32_t next_unit = 0;  // the number the next unit record of a run carries
    for (uint8_t previous = 0;;) {
        std::size_t at = in.pos();
        uint8_t tag = in.byte("the pass-1 records");
        if (is_pass2_tag(tag)) return tag;
        if (tag != TAG_UNIT || previous != TAG_UNIT) next_unit = 0;
        previous = tag;
        switch (tag) {
        case TAG_UNIT:
            check_unit_number(in.number(2, "a unit record"), next_unit++, at + 1);
            in.name("a unit record");
            in.skip(1 + 1 + 3 + 4, "a unit record");
            break;
        case TAG_LABELS:
            in.number(2, "a label record");
            named_values(in, 3, "a label record");
            break;
        case TAG_SYMBOLS: named_values(in, 4, "a symbol record"); break;
        case TAG_BITS: bit_entries(in, "a bit-symbol record"); break;
        case TAG_EXTERNALS:
            while (!in.name("an external record").empty()) {}
            break;
        default:
            throw FormatError(at, "unknown pass-1 record tag " + ByteCursor::hex2(tag));
        }
    }
}

void relocation_record(ByteCursor& in) {
    WalkResult walked = walk_relocation_record(in.image());
    switch (walked.stop) {
    case WalkStop::DONE: return;
    case WalkStop::RECORD_ENDED: throw in.ended("a relocation record");
    case WalkStop::EXPRESSION_ENDED: throw in.ended("a relocation expression");
    case WalkStop::UNKNOWN_OPERAND:
        throw FormatError(std::size_t(walked.at), "unknown expression operand " + ByteCursor::hex2(walked.code));
    case WalkStop::UNKNOWN_OPERATOR:
        throw FormatError(std::size_t(walked.at), "unknown expression operator " + ByteCursor::hex2(walked.code));
    }
}

void contents_record(ByteCursor& in) {
    in.number(2, "a contents record");
    for (;;) {
        std::size_t at = in.pos();
        uint32_t length = in.number(4, "a contents record");
        if (length == 0) return;
        if (length < BLOCK_ADDRESS_BYTES) {
            throw FormatError(at, "data block length " + std::to_string(length) + " is below " +
                                      std::to_string(BLOCK_ADDRESS_BYTES));
        }
        in.skip(length, "a data block");
    }
}

// Reads debug records from the one whose tag `tag` was just consumed up to
// and including the end tag.
void debug_records(ByteCursor& in, uint8_t tag, std::size_t at) {
    for (;;) {
        switch (tag) {
        case TAG_END: return;
        case TAG_LOCAL_LABELS:
            in.number(2, "a local-label record");
            named_values(in, 3, "a local-label record");
            break;
        case TAG_LOCAL_SYMBOLS: named_values(in, 4, "a local-symbol record"); break;
        case TAG_LOCAL_BITS: bit_entries(in, "a local bit-symbol record"); break;
        case TAG_FUNCTION:
            in.number(2, "a function record");
            in.name("a function record");
            in.skip(2 + 3 + 3, "a function record");
            break;
        case TAG_CALLS:
            in.number(2, "a call record");
            for (;;) {
                uint32_t value = in.number(3, "a call record");
                uint32_t count = in.number(1, "a call record");
                if (value == 0 && count == 0) break;
            }
            break;
        case TAG_SOURCE_LINES:
            in.number(2, "a source-line record");
            while (!in.name("a source-line record").empty()) {
                while (in.number(2, "a source-line record") != 0) in.skip(3, "a source-line record");
            }
            break;
        case TAG_LANGUAGE: in.name("a language record"); break;
        case TAG_POINTER: in.skip(1, "a pointer record"); break;
        default:
            throw FormatError(at, "unknown debug record tag " + ByteCursor::hex2(tag) +
                                      " (relocation and contents records come before the debug records)");
        }
        at = in.pos();
        tag = in.byte("the debug records (no end record)");
    }
}

}  // namespace

ImageExtent walk_image(const Bytes& bytes, std::size_t start) {
    ImageExtent extent;
    extent.start = start;
    ByteCursor in(bytes, start);
    header(in);
    uint8_t tag = pass1_records(in);
    std::size_t at = in.pos() - 1;
    while (tag == TAG_RELOCATION) {
        if (extent.first_relocation == 0) extent.first_relocation = at;
        relocation_record(in);
        at = in.pos();
        tag = in.byte("the records after a relocation record");
    }
    while (tag == TAG_CONTENTS) {
        if (extent.first_contents == 0) extent.first_contents = at;
        contents_record(in);
        at = in.pos();
        tag = in.byte("the records after a contents record");
    }
    debug_records(in, tag, at);
    extent.end = in.pos();
    return extent;
}

}  // namespace orvlib
