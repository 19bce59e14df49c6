#pragma once
#include <cstdint>
#include <memory>

#include "format/image_cursor.h"
#include "pass2/debug_records.h"

namespace orv {

struct LinkContext;

// Reads one module's debug records from `stream` (its first tag already in
// next_tag) up to its end tag and writes the module's local part of the
// symbol file.
void write_local_symbols(LinkContext& ctx, ImageCursor& stream, int32_t last_unit);

// The symbol file's local part of one module, written as the reader hands
// over the module's debug records; its unit numbers end at `last_unit`.
std::unique_ptr<DebugRecordSink> symbol_file_lines(LinkContext& ctx, int32_t last_unit);

}  // namespace orv
