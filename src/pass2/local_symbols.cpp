#include "pass2/local_symbols.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "format/record_tags.h"
#include "format/record_walk.h"
#include "pass1/object_reader.h"

namespace orv {
namespace {

// Entries go 8 to a line; a record's last partial line is ended by the line
// end that opens the next header.
constexpr int ENTRIES_PER_LINE = 8;

// A module-local number made global by adding a base; kept to 32 bits.
unsigned long plus(int32_t base, uint32_t local) { return static_cast<uint32_t>(uint32_t(base) + local); }

class LocalWriter {
public:
    LocalWriter(LinkContext& ctx, ImageCursor& stream, int32_t last_unit)
        : ctx_(ctx), in_(stream), out_(*ctx.output.sym_file), last_unit_(last_unit) {}

    // Writes records until the module's end tag.
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
            case TAG_POINTER: pointer(); break;
            case TAG_END:
                ctx_.output.sym.func_base = ctx_.output.sym.last_func;
                return;
            default:
                internal_error("35");
            }
            ctx_.reader.next_tag = in_.get();
        }
    }

private:
    void entry_written() {
        if (++count_ == ENTRIES_PER_LINE) {
            out_.print("\n");
            count_ = 0;
        }
    }

    unsigned long unit_base() const { return static_cast<uint32_t>(ctx_.reader.unit_base); }
    unsigned long last_unit() const { return static_cast<uint32_t>(last_unit_); }
    unsigned long function_no(uint32_t local) const { return plus(ctx_.output.sym.func_base, local); }

    void local_labels() {
        uint32_t unit = red_number(in_, 2);
        out_.print("\n# LOCAL LABEL %lX\n", plus(ctx_.reader.unit_base, unit));
        named_values(3);
    }

    void local_symbols() {
        out_.print("\n# LOCAL SYMBOL %lX-%lX\n", unit_base(), last_unit());
        named_values(4);
    }

    // Entries of a value of `width` bytes and a name, up to {0, ""}.
    void named_values(int width) {
        count_ = 0;
        for (;;) {
            uint32_t value = red_number(in_, width);
            int length = red_string(in_, name_);
            if (value == 0 && length == 0) break;
            out_.print("%s %lX  ", name_, static_cast<unsigned long>(value));
            entry_written();
        }
    }

    void local_bits() {
        out_.print("\n# LOCAL BIT SYMBOL %lX-%lX\n", unit_base(), last_unit());
        count_ = 0;
        for (;;) {
            uint32_t mask = red_number(in_, 2);
            uint32_t address = red_number(in_, 3);
            int length = red_string(in_, name_);
            if (mask == 0 && address == 0 && length == 0) break;
            out_.print("%s %X %lX  ", name_, bit_number(mask), static_cast<unsigned long>(address));
            entry_written();
        }
    }

    static unsigned bit_number(uint32_t mask) {
        const int bit = bit_number_of_mask(mask);
        if (bit < 0) internal_error("34.5");
        return static_cast<unsigned>(bit);
    }

    void function() {
        uint32_t number = red_number(in_, 2);
        red_string(in_, name_);
        uint32_t unit = red_number(in_, 2);
        uint32_t start = red_number(in_, 3);
        uint32_t end = red_number(in_, 3);
        SymbolFileState& sym = ctx_.output.sym;
        sym.last_func = static_cast<int32_t>(function_no(number));
        out_.print("\n# FUNC %lX %s %lX %lX-%lX\n", function_no(number), name_,
                   plus(ctx_.reader.unit_base, unit), static_cast<unsigned long>(start),
                   static_cast<unsigned long>(end));
    }

    void calls() {
        uint32_t number = red_number(in_, 2);
        out_.print("\n# CALL %lX\n", function_no(number));
        count_ = 0;
        for (;;) {
            uint32_t value = red_number(in_, 3);
            uint32_t count = red_number(in_, 1);
            if (value == 0 && count == 0) break;
            out_.print("%lX %X  ", static_cast<unsigned long>(value), count);
            entry_written();
        }
    }

    // One record may hold the lines of several source files; the entry
    // count runs on from one file's block to the next.
    void source_lines() {
        uint32_t number = red_number(in_, 2);
        count_ = 0;
        for (;;) {
            if (red_string(in_, name_) == 0) break;
            out_.print("\n# SOURCE %lX %s\n", function_no(number), name_);
            for (;;) {
                uint32_t line = red_number(in_, 2);
                if (line == 0) break;
                uint32_t address = red_number(in_, 3);
                out_.print("%d %lX  ", static_cast<int>(line), static_cast<unsigned long>(address));
                entry_written();
            }
        }
    }

    void language() {
        red_string(in_, name_);
        out_.print("\n# LANGUAGE %s %lX-%lX\n", name_, unit_base(), last_unit());
    }

    // Every module of a program must use one pointer length; a different one
    // is reported but does not fail the link.
    void pointer() {
        int length = static_cast<int>(red_number(in_, 1));
        int& pointer_size = ctx_.output.sym.pointer_size;
        if (pointer_size == 0) {
            pointer_size = length;
        } else if (length != pointer_size) {
            report_listed(ctx_.console, ERR_POINTER_LENGTH);
            ++ctx_.warnings_listed;
            FindingPlace place;
            if (ctx_.reader.current_file != nullptr) place.file = ctx_.reader.current_file;
            place.module = module_name(ctx_.reader.current_file, ctx_.reader.current_member);
            place_finding(ctx_.console, std::move(place));
        }
        out_.print("\n# POINTER %X\n", static_cast<unsigned>(length));
    }

    LinkContext& ctx_;
    ImageCursor& in_;
    TextOutput& out_;
    int32_t last_unit_;
    int count_ = 0;
    char name_[NAME_LIMIT + 1] = {};
};

}  // namespace

void write_local_symbols(LinkContext& ctx, ImageCursor& stream, int32_t last_unit) {
    LocalWriter(ctx, stream, last_unit).run();
}

}  // namespace orv
