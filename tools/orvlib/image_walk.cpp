#include "orvlib/image_walk.h"

#include <string>

namespace orvlib {
namespace {

bool is_pass2_tag(uint8_t tag) {
    return (tag >= 0xE1 && tag <= 0xE6) || (tag >= 0xF7 && tag <= 0xFA) || tag == 0xFF;
}

bool is_prefix(uint8_t code) {
    return code == 0x2B || code == 0x2D || code == 0x21 || code == 0x7E || (code >= 0x80 && code <= 0x84);
}

bool is_operator(uint8_t code) {
    switch (code) {
    case 0x2B: case 0x2D: case 0x2A: case 0x2F: case 0x25:
    case 0x26: case 0x7C: case 0x5E: case 0x3C: case 0x3E:
        return true;
    default:
        return false;
    }
}

void header(ByteCursor& in) {
    in.expect(0xF0, "the format record");
    std::size_t text_at = in.pos();
    std::string format = in.name("the format text");
    if (format.compare(0, 5, "VER.A") != 0 || format.size() < 5) {
        throw FormatError(text_at, "format text \"" + format + "\" does not start with VER.A");
    }
    in.expect(0xF1, "the version record");
    in.name("the version text");
    in.expect(0xF2, "the file-name record");
    in.expect(0xF0, "the source name");
    in.name("the source name");
    in.expect(0xF1, "the requested files");
    while (!in.name("the requested files").empty()) {}
    in.expect(0xF2, "the requested libraries");
    while (!in.name("the requested libraries").empty()) {}
}

// Entries of value and name up to the entry {0, ""}; `width` is the value's.
void named_values(ByteCursor& in, int width, const char* what) {
    for (;;) {
        uint32_t value = in.number(width, what);
        if (in.name(what).empty() && value == 0) return;
    }
}

void bit_entries(ByteCursor& in, const char* what) {
    for (;;) {
        std::size_t at = in.pos();
        uint32_t mask = in.number(2, what);
        uint32_t address = in.number(3, what);
        if (in.name(what).empty() && mask == 0 && address == 0) return;
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
        if (tag != 0xF3 || previous != 0xF3) next_unit = 0;
        previous = tag;
        switch (tag) {
        case 0xF3:
            check_unit_number(in.number(2, "a unit record"), next_unit++, at + 1);
            in.name("a unit record");
            in.skip(1 + 1 + 3 + 4, "a unit record");
            break;
        case 0xF4:
            in.number(2, "a label record");
            named_values(in, 3, "a label record");
            break;
        case 0xF5: named_values(in, 4, "a symbol record"); break;
        case 0xE0: bit_entries(in, "a bit-symbol record"); break;
        case 0xF6:
            while (!in.name("an external record").empty()) {}
            break;
        default:
            throw FormatError(at, "unknown pass-1 record tag " + ByteCursor::hex2(tag));
        }
    }
}

void term(ByteCursor& in) {
    std::size_t at = in.pos();
    uint8_t code = in.byte("a relocation expression");
    if (is_prefix(code)) {
        at = in.pos();
        code = in.byte("a relocation expression");
    }
    switch (code) {
    case 0xF0: in.skip(2 + 3, "a relocation expression"); break;
    case 0xF1: in.name("a relocation expression"); break;
    case 0xF2: in.skip(4, "a relocation expression"); break;
    case 0xF3: in.name("a relocation expression"); break;
    default: throw FormatError(at, "unknown expression operand " + ByteCursor::hex2(code));
    }
}

void relocation_record(ByteCursor& in) {
    in.number(2, "a relocation record");
    for (;;) {
        uint32_t address = in.number(3, "a relocation record");
        uint32_t type = in.number(1, "a relocation record");
        if (address == 0 && type == 0) return;
        in.skip(1, "a relocation record");
        term(in);
        term(in);
        for (;;) {
            std::size_t at = in.pos();
            uint8_t op = in.byte("a relocation expression");
            if (op == 0xFF) break;
            if (!is_operator(op)) throw FormatError(at, "unknown expression operator " + ByteCursor::hex2(op));
            term(in);
        }
    }
}

void contents_record(ByteCursor& in) {
    in.number(2, "a contents record");
    for (;;) {
        std::size_t at = in.pos();
        uint32_t length = in.number(4, "a contents record");
        if (length == 0) return;
        if (length < 3) throw FormatError(at, "data block length " + std::to_string(length) + " is below 3");
        in.skip(length, "a data block");
    }
}

// Reads debug records from the one whose tag `tag` was just consumed up to
// and including the end tag.
void debug_records(ByteCursor& in, uint8_t tag, std::size_t at) {
    for (;;) {
        switch (tag) {
        case 0xFF: return;
        case 0xF9:
            in.number(2, "a local-label record");
            named_values(in, 3, "a local-label record");
            break;
        case 0xFA: named_values(in, 4, "a local-symbol record"); break;
        case 0xE1: bit_entries(in, "a local bit-symbol record"); break;
        case 0xE2:
            in.number(2, "a function record");
            in.name("a function record");
            in.skip(2 + 3 + 3, "a function record");
            break;
        case 0xE3:
            in.number(2, "a call record");
            for (;;) {
                uint32_t value = in.number(3, "a call record");
                uint32_t count = in.number(1, "a call record");
                if (value == 0 && count == 0) break;
            }
            break;
        case 0xE4:
            in.number(2, "a source-line record");
            while (!in.name("a source-line record").empty()) {
                while (in.number(2, "a source-line record") != 0) in.skip(3, "a source-line record");
            }
            break;
        case 0xE5: in.name("a language record"); break;
        case 0xE6: in.skip(1, "a pointer record"); break;
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
    while (tag == 0xF7) {
        if (extent.first_relocation == 0) extent.first_relocation = at;
        relocation_record(in);
        at = in.pos();
        tag = in.byte("the records after a relocation record");
    }
    while (tag == 0xF8) {
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
