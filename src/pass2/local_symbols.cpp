#include "pass2/local_symbols.h"

#include "base/diagnostics.h"
#include "base/explain.h"
#include "base/link_context.h"

namespace orv {
namespace {

// Entries go 8 to a line; a record's last partial line is ended by the line
// end that opens the next header.
constexpr int ENTRIES_PER_LINE = 8;

class SymbolFileLines : public DebugRecordSink {
public:
    SymbolFileLines(LinkContext& ctx, int32_t last_unit)
        : ctx_(ctx), out_(*ctx.output.sym_file), last_unit_(static_cast<uint32_t>(last_unit)) {}

    void local_labels(uint32_t unit) override {
        out_.print("\n# LOCAL LABEL %lX\n", static_cast<unsigned long>(unit));
        count_ = 0;
    }
    void local_symbols() override {
        out_.print("\n# LOCAL SYMBOL %lX-%lX\n", unit_base(), last_unit_);
        count_ = 0;
    }
    void named_value(const char* name, uint32_t value) override {
        out_.print("%s %lX  ", name, static_cast<unsigned long>(value));
        entry_written();
    }
    void local_bits() override {
        out_.print("\n# LOCAL BIT SYMBOL %lX-%lX\n", unit_base(), last_unit_);
        count_ = 0;
    }
    void bit_entry(const char* name, unsigned bit, uint32_t address) override {
        out_.print("%s %X %lX  ", name, bit, static_cast<unsigned long>(address));
        entry_written();
    }
    void function(uint32_t number, const char* name, uint32_t unit, uint32_t start, uint32_t end) override {
        out_.print("\n# FUNC %lX %s %lX %lX-%lX\n", static_cast<unsigned long>(number), name,
                   static_cast<unsigned long>(unit), static_cast<unsigned long>(start),
                   static_cast<unsigned long>(end));
    }
    void calls(uint32_t function) override {
        out_.print("\n# CALL %lX\n", static_cast<unsigned long>(function));
        count_ = 0;
    }
    void call_entry(uint32_t value, uint32_t count) override {
        out_.print("%lX %X  ", static_cast<unsigned long>(value), count);
        entry_written();
    }
    // The entry count runs on from one source file's block to the next.
    void source_lines(uint32_t) override { count_ = 0; }
    void source_file(uint32_t function, const char* name) override {
        out_.print("\n# SOURCE %lX %s\n", static_cast<unsigned long>(function), name);
    }
    void line_entry(uint32_t line, uint32_t address) override {
        out_.print("%d %lX  ", static_cast<int>(line), static_cast<unsigned long>(address));
        entry_written();
    }
    void language(const char* name) override {
        out_.print("\n# LANGUAGE %s %lX-%lX\n", name, unit_base(), last_unit_);
    }
    // Every module of a program must use one pointer length; a different one
    // is reported but does not fail the link.
    void pointer(unsigned length) override {
        int& pointer_size = ctx_.output.sym.pointer_size;
        if (pointer_size == 0) {
            pointer_size = int(length);
        } else if (int(length) != pointer_size) {
            report_listed(ctx_.console, ERR_POINTER_LENGTH);
            ++ctx_.warnings_listed;
            FindingPlace place;
            if (ctx_.reader.current_file != nullptr) place.file = ctx_.reader.current_file;
            place.module = module_name(ctx_.reader.current_file, ctx_.reader.current_member);
            place_finding(ctx_.console, std::move(place));
        }
        out_.print("\n# POINTER %X\n", length);
    }

private:
    void entry_written() {
        if (++count_ == ENTRIES_PER_LINE) {
            out_.print("\n");
            count_ = 0;
        }
    }

    unsigned long unit_base() const { return static_cast<uint32_t>(ctx_.reader.unit_base); }

    LinkContext& ctx_;
    TextOutput& out_;
    unsigned long last_unit_;
    int count_ = 0;
};

}  // namespace

std::unique_ptr<DebugRecordSink> symbol_file_lines(LinkContext& ctx, int32_t last_unit) {
    return std::make_unique<SymbolFileLines>(ctx, last_unit);
}

void write_local_symbols(LinkContext& ctx, ImageCursor& stream, int32_t last_unit) {
    SymbolFileLines lines(ctx, last_unit);
    read_debug_records(ctx, stream, lines);
}

}  // namespace orv
