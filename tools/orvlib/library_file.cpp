#include "orvlib/library_file.h"

#include "format/library_layout.h"
#include "format/library_tags.h"
#include "format/record_walk.h"

namespace orvlib {
namespace {

using namespace orv;  // the library tags and layout, and the record walkers

std::string hex8(uint32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
    return text;
}

// Returns the module count.
uint32_t library_header(ByteCursor& in) {
    in.expect(LIB_TAG_TITLE, "the library header");
    in.name("the library header");
    in.expect(LIB_TAG_FORMAT, "the library format record");
    std::size_t text_at = in.pos();
    std::string format = in.name("the library format text");
    if (format != LIBRARY_FORMAT) {
        throw FormatError(text_at, "library format text \"" + format + "\" is not " + std::string(LIBRARY_FORMAT));
    }
    in.expect(LIB_TAG_TEXT, "the library header");
    in.name("the library header");
    in.expect(LIB_TAG_MODULE_COUNT, "the module count");
    uint32_t count = in.number(4, "the module count");
    in.expect(LIB_TAG_NUMBER, "the library header");
    in.number(4, "the library header");
    in.expect(LIB_TAG_END, "the end of the library header");
    return count;
}

// The counts of the index block: entries and bytes for each kind.
struct IndexCounts {
    uint32_t entries[3] = {0, 0, 0};
    uint32_t bytes[3] = {0, 0, 0};
};

constexpr uint32_t FIXED_BYTES[3] = {INDEX_LABEL_FIXED, INDEX_SYMBOL_FIXED, INDEX_BIT_FIXED};

void add_public(ModuleEntry& module, IndexCounts& found, PublicKind kind, std::string_view name) {
    auto k = static_cast<int>(kind);
    found.entries[k] += 1;
    found.bytes[k] += index_entry_bytes(FIXED_BYTES[k], name.size());
    module.publics.push_back({kind, std::string(name)});
}

// The entries of one index record up to its closing entry.
void index_entries(ByteCursor& in, ModuleEntry& module, IndexCounts& found, PublicKind kind, const char* what) {
    uint32_t value = 0, address = 0;
    std::string_view name;
    for (;;) {
        std::size_t entry_at = in.pos();
        ListStep step = kind == PublicKind::BIT ? read_bit_entry(in.image(), value, address, name)
                                                : read_named_value(in.image(), kind == PublicKind::LABEL ? 3 : 4,
                                                                   value, name);
        if (step == ListStep::IMAGE_ENDED) throw in.ended(what);
        if (step == ListStep::LIST_END) return;
        if (kind == PublicKind::BIT) check_bit_mask(value, entry_at);
        add_public(module, found, kind, name);
    }
}

// Reads the index records; returns the tag that follows them, consumed.
uint8_t index_records(ByteCursor& in, ModuleEntry& module, IndexCounts& found) {
    for (;;) {
        std::size_t at = in.pos();
        uint8_t tag = in.byte("the module index");
        switch (tag) {
        case LIB_TAG_INDEX_LABELS:
            in.number(2, "a label index record");
            index_entries(in, module, found, PublicKind::LABEL, "a label index record");
            break;
        case LIB_TAG_INDEX_SYMBOLS:
            index_entries(in, module, found, PublicKind::SYMBOL, "a symbol index record");
            break;
        case LIB_TAG_INDEX_BITS:
            index_entries(in, module, found, PublicKind::BIT, "a bit-symbol index record");
            break;
        case LIB_TAG_UNITS: case LIB_TAG_EXTERNALS: case LIB_TAG_TRAILER:
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
        if (tag != LIB_TAG_UNITS) return tag;
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
    in.expect(LIB_TAG_MODULE_NAME, "a module entry");
    module.name = in.name("the module name");
    in.expect(LIB_TAG_SKIPS, "the module's skip lengths");
    uint32_t skip_all = in.number(4, "the module's skip lengths");
    uint32_t skip_rest = in.number(4, "the module's skip lengths");
    std::size_t counted_from = in.pos();
    in.expect(LIB_TAG_MODULE_NUMBER, "the module entry's number");
    in.number(4, "the module entry");

    in.expect(LIB_TAG_INDEX_BLOCK, "the index block");
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
    if (tag == LIB_TAG_UNITS) tag = unit_records(in, module);
    if (tag == LIB_TAG_EXTERNALS) {
        for (std::string name = in.name("the external references"); !name.empty();
             name = in.name("the external references")) {
            module.externals.push_back(std::move(name));
        }
        tag = in.byte("the module entry");
    }
    std::size_t trailer_at = in.pos() - 1;
    if (tag != LIB_TAG_TRAILER) {
        throw FormatError(trailer_at, "expected the module trailer (tag " + ByteCursor::hex2(LIB_TAG_TRAILER) +
                                          "), found " + ByteCursor::hex2(tag));
    }
    uint32_t image_offset = in.number(4, "the module trailer");
    in.number(4, "the module trailer");
    module.reloc_offset = in.number(4, "the module trailer");
    in.number(4, "the module trailer");
    module.code_offset = in.number(4, "the module trailer");
    in.skip(TRAILER_RESERVED, "the module trailer");
    in.expect(LIB_TAG_END, "the end of the module entry");

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
