#include "orvlib/library_file.h"

namespace orvlib {
namespace {

std::string hex8(uint32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
    return text;
}

// Returns the module count.
uint32_t library_header(ByteCursor& in) {
    in.expect(0xF0, "the library header");
    in.name("the library header");
    in.expect(0xF1, "the library format record");
    std::size_t text_at = in.pos();
    std::string format = in.name("the library format text");
    if (format != "VER.A") throw FormatError(text_at, "library format text \"" + format + "\" is not VER.A");
    in.expect(0xF2, "the library header");
    in.name("the library header");
    in.expect(0xF3, "the module count");
    uint32_t count = in.number(4, "the module count");
    in.expect(0xF4, "the library header");
    in.number(4, "the library header");
    in.expect(0xFF, "the end of the library header");
    return count;
}

// The counts of the index block: entries and bytes for each kind.
struct IndexCounts {
    uint32_t entries[3] = {0, 0, 0};
    uint32_t bytes[3] = {0, 0, 0};
};

constexpr uint32_t FIXED_BYTES[3] = {3, 4, 5};  // value (and mask) widths of label, symbol, bit

void add_public(ModuleEntry& module, IndexCounts& found, PublicKind kind, std::string name) {
    auto k = static_cast<int>(kind);
    found.entries[k] += 1;
    found.bytes[k] += FIXED_BYTES[k] + uint32_t(name.size()) + 1;
    module.publics.push_back({kind, std::move(name)});
}

// Reads the index records; returns the tag that follows them, consumed.
uint8_t index_records(ByteCursor& in, ModuleEntry& module, IndexCounts& found) {
    for (;;) {
        std::size_t at = in.pos();
        uint8_t tag = in.byte("the module index");
        switch (tag) {
        case 0xF5:
            in.number(2, "a label index record");
            for (;;) {
                uint32_t value = in.number(3, "a label index record");
                std::string name = in.name("a label index record");
                if (value == 0 && name.empty()) break;
                add_public(module, found, PublicKind::LABEL, std::move(name));
            }
            break;
        case 0xF6:
            for (;;) {
                uint32_t value = in.number(4, "a symbol index record");
                std::string name = in.name("a symbol index record");
                if (value == 0 && name.empty()) break;
                add_public(module, found, PublicKind::SYMBOL, std::move(name));
            }
            break;
        case 0xFA:
            for (;;) {
                std::size_t entry_at = in.pos();
                uint32_t mask = in.number(2, "a bit-symbol index record");
                uint32_t address = in.number(3, "a bit-symbol index record");
                std::string name = in.name("a bit-symbol index record");
                if (mask == 0 && address == 0 && name.empty()) break;
                check_bit_mask(mask, entry_at);
                add_public(module, found, PublicKind::BIT, std::move(name));
            }
            break;
        case 0xF3: case 0xF7: case 0xF8:
            return tag;
        default:
            throw FormatError(at, "unknown index record tag " + ByteCursor::hex2(tag));
        }
    }
}

// Reads a run of unit records; returns the tag that follows them, consumed.
uint8_t unit_records(ByteCursor& in, ModuleEntry& module) {
    for (uint32_t k = 0;; ++k) {
        std::size_t at = in.pos();
        check_unit_number(in.number(2, "a unit record"), k, at);
        UnitInfo unit;
        unit.section = in.name("a unit record");
        unit.ram = uint8_t(in.number(1, "a unit record"));
        unit.abs = uint8_t(in.number(1, "a unit record"));
        unit.address = in.number(3, "a unit record");
        unit.size = in.number(4, "a unit record");
        module.units.push_back(unit);
        uint8_t tag = in.byte("the module entry");
        if (tag != 0xF3) return tag;
    }
}

// The trailer's offsets must lead to the records the linker reads there.
void check_offsets(const Bytes& bytes, ModuleEntry& module, uint32_t image_offset, std::size_t trailer_at) {
    if (image_offset >= bytes.size()) {
        throw FormatError(trailer_at, "module " + module.name + ": image offset " + hex8(image_offset) +
                                          " lies beyond the end of the file");
    }
    try {
        module.image = walk_image(bytes, image_offset);
    } catch (const FormatError& error) {
        throw FormatError(error.offset(), "module " + module.name + ": image at " + hex8(image_offset) + ": " +
                                              error.what());
    }
    struct Check {
        const char* what;
        uint32_t recorded;
        std::size_t found;
    } checks[] = {{"relocation", module.reloc_offset, module.image.first_relocation},
                  {"contents", module.code_offset, module.image.first_contents}};
    for (const Check& check : checks) {
        if (check.recorded != check.found) {
            throw FormatError(trailer_at, "module " + module.name + ": " + check.what + " offset " +
                                              hex8(check.recorded) + " where the image has " +
                                              (check.found == 0 ? std::string("no such records")
                                                                : "them at " + hex8(uint32_t(check.found))));
        }
    }
}

ModuleEntry module_entry(ByteCursor& in, const Bytes& bytes) {
    ModuleEntry module;
    module.entry_offset = in.pos();
    in.expect(0xF0, "a module entry");
    module.name = in.name("the module name");
    in.expect(0xF1, "the module's skip lengths");
    uint32_t skip_all = in.number(4, "the module's skip lengths");
    uint32_t skip_rest = in.number(4, "the module's skip lengths");
    std::size_t counted_from = in.pos();
    in.expect(0xF2, "the module entry's number");
    in.number(4, "the module entry");

    in.expect(0xF4, "the index block");
    IndexCounts recorded;
    for (int k = 0; k < 3; ++k) {
        recorded.entries[k] = in.number(4, "the index block");
        recorded.bytes[k] = in.number(4, "the index block");
    }
    in.number(4, "the index block");
    std::size_t index_at = in.pos();
    IndexCounts found;
    uint8_t tag = index_records(in, module, found);
    for (int k = 0; k < 3; ++k) {
        if (recorded.entries[k] != found.entries[k] || recorded.bytes[k] != found.bytes[k]) {
            static const char* const kinds[] = {"label", "symbol", "bit-symbol"};
            throw FormatError(index_at, "module " + module.name + ": the index block counts " +
                                            std::to_string(recorded.entries[k]) + " " + kinds[k] + "s in " +
                                            std::to_string(recorded.bytes[k]) + " bytes, the index holds " +
                                            std::to_string(found.entries[k]) + " in " +
                                            std::to_string(found.bytes[k]));
        }
    }

    std::size_t rest_from = in.pos() - 1;
    if (tag == 0xF3) tag = unit_records(in, module);
    if (tag == 0xF7) {
        for (std::string name = in.name("the external references"); !name.empty();
             name = in.name("the external references")) {
            module.externals.push_back(std::move(name));
        }
        tag = in.byte("the module entry");
    }
    std::size_t trailer_at = in.pos() - 1;
    if (tag != 0xF8) throw FormatError(trailer_at, "expected the module trailer (tag 0xF8), found " + ByteCursor::hex2(tag));
    uint32_t image_offset = in.number(4, "the module trailer");
    in.number(4, "the module trailer");
    module.reloc_offset = in.number(4, "the module trailer");
    in.number(4, "the module trailer");
    module.code_offset = in.number(4, "the module trailer");
    in.skip(13, "the module trailer");
    in.expect(0xFF, "the end of the module entry");

    // The linker passes over entries by these lengths, so they must be exact.
    std::size_t all = in.pos() - counted_from, rest = in.pos() - rest_from;
    if (skip_all != all || skip_rest != rest) {
        throw FormatError(module.entry_offset, "module " + module.name + ": skip lengths " + hex8(skip_all) + " and " +
                                                   hex8(skip_rest) + " where the entry needs " +
                                                   hex8(uint32_t(all)) + " and " + hex8(uint32_t(rest)));
    }
    check_offsets(bytes, module, image_offset, trailer_at);
    return module;
}

}  // namespace

LibraryFile read_library_file(const Bytes& bytes) {
    ByteCursor in(bytes, 0);
    uint32_t count = library_header(in);
    LibraryFile library;
    // The count comes from the file: nothing is reserved by it, and every
    // entry must be read whole before the next one is counted.
    for (uint32_t i = 0; i < count; ++i) library.modules.push_back(module_entry(in, bytes));
    return library;
}

}  // namespace orvlib
