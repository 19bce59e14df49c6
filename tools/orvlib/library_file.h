#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fixture/object_writer.h"
#include "orvlib/byte_cursor.h"
#include "orvlib/image_walk.h"

// A library file as the librarian sees it: every module entry with its index,
// units and external references, and the extent of the module's image.
namespace orvlib {

enum class PublicKind { LABEL, SYMBOL, BIT };

struct PublicName {
    PublicKind kind;
    std::string name;
};

// A unit record as the object writer describes one.
using UnitInfo = orvfixture::UnitSpec;

struct ModuleEntry {
    std::string name;
    std::size_t entry_offset = 0;
    std::vector<PublicName> publics;  // in index order
    std::vector<UnitInfo> units;
    std::vector<std::string> externals;
    uint32_t reloc_offset = 0;
    uint32_t code_offset = 0;
    ImageExtent image;
};

struct LibraryFile {
    std::vector<ModuleEntry> modules;
};

// Reads a whole library and checks everything the linker relies on: the
// header, every entry's tags, index counts and skip lengths, and that every
// entry's offsets lead to a complete image. Throws FormatError.
LibraryFile read_library_file(const Bytes& bytes);

}  // namespace orvlib
