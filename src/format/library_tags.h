#pragma once

namespace orv {

// Record tags of a library file. Inside a module entry the tags of the
// index, external and trailer records differ from those of a relocatable
// object; the unit records keep theirs.

// The library header.
constexpr int LIB_TAG_TITLE = 0xF0;
constexpr int LIB_TAG_FORMAT = 0xF1;
constexpr int LIB_TAG_TEXT = 0xF2;
constexpr int LIB_TAG_MODULE_COUNT = 0xF3;
constexpr int LIB_TAG_NUMBER = 0xF4;

// A module entry.
constexpr int LIB_TAG_MODULE_NAME = 0xF0;
constexpr int LIB_TAG_SKIPS = 0xF1;
constexpr int LIB_TAG_MODULE_NUMBER = 0xF2;
constexpr int LIB_TAG_INDEX_BLOCK = 0xF4;
constexpr int LIB_TAG_INDEX_LABELS = 0xF5;
constexpr int LIB_TAG_INDEX_SYMBOLS = 0xF6;
constexpr int LIB_TAG_INDEX_BITS = 0xFA;
constexpr int LIB_TAG_UNITS = 0xF3;
constexpr int LIB_TAG_EXTERNALS = 0xF7;
constexpr int LIB_TAG_TRAILER = 0xF8;

// Ends the header and every module entry.
constexpr int LIB_TAG_END = 0xFF;

}  // namespace orv
