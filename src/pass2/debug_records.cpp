#include "pass2/debug_records.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "format/record_tags.h"
#include "format/record_walk.h"
#include "pass1/object_reader.h"

namespace orv {
namespace {

// A module-local number made global by adding a base; kept to 32 bits.
uint32_t plus(int32_t base, uint32_t local) { return uint32_t(base) + local; }

class DebugReader {
public:
    DebugReader(LinkContext& ctx, ImageCursor& stream, DebugRecordSink& sink)
        : ctx_(ctx), in_(stream), sink_(sink), numbering_(ctx.debug.numbering) {}

    void run() {
        for (;;) {
            switch (ctx_.reader.next_tag) {
            case TAG_LOCAL_LABELS: local_labels(); break;
            case TAG_LOCAL_SYMBOLS: local_symbols(); break;
            case TAG_LOCAL_BITS: local_bits(); break;
            case TAG_FUNCTION: function(); break;
            case TAG_CALLS: calls(); break;
            case TAG_SOURCE_LINES: source_lines(); break;
            case TAG_LANGUAGE: language(); break;
            case TAG_POINTER: sink_.pointer(red_number(in_, 1)); break;
            case TAG_END:
                // The next module's functions are numbered on from this one's last.
                numbering_.func_base = numbering_.last_func;
                return;
            default:
                internal_error("35");
            }
            ctx_.reader.next_tag = in_.get();
        }
    }

private:
    uint32_t function_no(uint32_t local) const { return plus(numbering_.func_base, local); }

    void local_labels() {
        uint32_t unit = red_number(in_, 2);
        sink_.local_labels(plus(ctx_.reader.unit_base, unit));
        named_values(3);
    }

    void local_symbols() {
        sink_.local_symbols();
        named_values(4);
    }

    // Entries of a value of `width` bytes and a name, up to {0, ""}.
    void named_values(int width) {
        for (;;) {
            uint32_t value = red_number(in_, width);
            int length = red_string(in_, name_);
            if (value == 0 && length == 0) break;
            sink_.named_value(name_, value);
        }
    }

    void local_bits() {
        sink_.local_bits();
        for (;;) {
            uint32_t mask = red_number(in_, 2);
            uint32_t address = red_number(in_, 3);
            int length = red_string(in_, name_);
            if (mask == 0 && address == 0 && length == 0) break;
            const int bit = bit_number_of_mask(mask);
            if (bit < 0) internal_error("34.5");
            sink_.bit_entry(name_, unsigned(bit), address);
        }
    }

    void function() {
        uint32_t number = red_number(in_, 2);
        red_string(in_, name_);
        uint32_t unit = red_number(in_, 2);
        uint32_t start = red_number(in_, 3);
        uint32_t end = red_number(in_, 3);
        numbering_.last_func = static_cast<int32_t>(function_no(number));
        sink_.function(function_no(number), name_, plus(ctx_.reader.unit_base, unit), start, end);
    }

    void calls() {
        uint32_t number = red_number(in_, 2);
        sink_.calls(function_no(number));
        for (;;) {
            uint32_t value = red_number(in_, 3);
            uint32_t count = red_number(in_, 1);
            if (value == 0 && count == 0) break;
            sink_.call_entry(value, count);
        }
    }

    // One record may hold the lines of several source files.
    void source_lines() {
        const uint32_t function = function_no(red_number(in_, 2));
        sink_.source_lines(function);
        for (;;) {
            if (red_string(in_, name_) == 0) break;
            sink_.source_file(function, name_);
            for (;;) {
                uint32_t line = red_number(in_, 2);
                if (line == 0) break;
                sink_.line_entry(line, red_number(in_, 3));
            }
        }
    }

    void language() {
        red_string(in_, name_);
        sink_.language(name_);
    }

    LinkContext& ctx_;
    ImageCursor& in_;
    DebugRecordSink& sink_;
    FunctionNumbering& numbering_;
    char name_[NAME_LIMIT + 1] = {};
};

}  // namespace

void read_debug_records(LinkContext& ctx, ImageCursor& stream, DebugRecordSink& sink) {
    DebugReader(ctx, stream, sink).run();
}

}  // namespace orv
