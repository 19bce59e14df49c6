#pragma once
#include <cstdint>
#include <string_view>

namespace orv {

// Record tags of a relocatable object, in the order the records come.

// The header: format, version, and the file-name record with its parts.
constexpr int TAG_FORMAT = 0xF0;
constexpr int TAG_VERSION = 0xF1;
constexpr int TAG_FILE_NAMES = 0xF2;
constexpr int TAG_SOURCE = 0xF0;
constexpr int TAG_REQUESTED_FILES = 0xF1;
constexpr int TAG_REQUESTED_LIBS = 0xF2;

// The part pass 1 reads.
constexpr int TAG_UNIT = 0xF3;
constexpr int TAG_LABELS = 0xF4;
constexpr int TAG_SYMBOLS = 0xF5;
constexpr int TAG_BITS = 0xE0;
constexpr int TAG_EXTERNALS = 0xF6;

// The part pass 2 reads: relocation, then contents, then debug records.
constexpr int TAG_RELOCATION = 0xF7;
constexpr int TAG_CONTENTS = 0xF8;
constexpr int TAG_LOCAL_LABELS = 0xF9;
constexpr int TAG_LOCAL_SYMBOLS = 0xFA;
constexpr int TAG_LOCAL_BITS = 0xE1;
constexpr int TAG_FUNCTION = 0xE2;
constexpr int TAG_CALLS = 0xE3;
constexpr int TAG_SOURCE_LINES = 0xE4;
constexpr int TAG_LANGUAGE = 0xE5;
constexpr int TAG_POINTER = 0xE6;
constexpr int TAG_END = 0xFF;

// True for the tags that may follow the relocation and contents records:
// the debug records and the end of the module.
constexpr bool is_debug_or_end_tag(int tag) {
    return (tag >= TAG_LOCAL_BITS && tag <= TAG_POINTER) || tag == TAG_LOCAL_LABELS ||
           tag == TAG_LOCAL_SYMBOLS || tag == TAG_END;
}

// True for the tags at which pass 1 stops: the first record of the part
// pass 2 reads.
constexpr bool is_pass2_tag(int tag) {
    return tag == TAG_RELOCATION || tag == TAG_CONTENTS || is_debug_or_end_tag(tag);
}

// The format text of an object's first record starts with these characters;
// any later ones are the assembler's own.
constexpr std::string_view OBJECT_FORMAT = "VER.A";

// A data block's length counts its 3-byte address and then its data.
constexpr uint32_t BLOCK_ADDRESS_BYTES = 3;

}  // namespace orv
