#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "fixture/object_writer.h"
#include "pass1/object_reader.h"
#include "pass2/contents.h"
#include "pass2/hex_writer.h"
#include "pass2/pass2.h"
#include "pass2/relocation.h"
#include "support/captured_stream.h"
#include "support/file_cursor.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"
#include "support/run_step.h"

namespace orv::test::p2 {

using orvfixture::ByteWriter;
using orvfixture::Bytes;
using orvfixture::Expr;
using orvfixture::name_term;
using orvfixture::ObjectWriter;
using orvfixture::Term;
using orvfixture::unit_term;

inline Term k(int32_t value, uint8_t prefix = orvfixture::NO_PREFIX) {
    return orvfixture::constant_term(uint32_t(value), prefix);
}

// An expression whose dropped leading term is the constant 0.
inline Expr e(Term first) { return Expr(k(0), std::move(first)); }

inline std::string internal_error_text(const std::string& point) {
    return "ERROR NO.6: Internal error at POINT " + point + "\n";
}

// The tables pass 2 reads, filled by hand as pass 1 and placement leave
// them, with the HEX file open in a fresh directory. That directory is the
// current one while the harness lives: pass 2 opens inputs by bare names.
class Pass2Harness {
public:
    Pass2Harness()
        : saved_dir(std::filesystem::current_path()),
          ctx(Console{stdin, out.file(), err.file()}),
          hex_path(dir / "OUT.HEX") {
        std::filesystem::current_path(dir.path());
        ctx.output.hex_file = TextOutput::create(hex_path.string());
        hex_init(ctx);
    }
    ~Pass2Harness() { std::filesystem::current_path(saved_dir); }

    // A unit at its placed address; its section's length covers its units.
    Unit* unit(const std::string& section, int32_t address, int32_t size, int abs = 0,
               const char* member = nullptr) {
        Unit* u = ctx.sections.add_unit(ctx.pools, section);
        u->abs = uint8_t(abs);
        u->address = address;
        u->size = size;
        u->file_name = "TEST.ROV";
        u->source_name = "test.src";
        u->member_name = member;
        ctx.sections.unit_table.push_back(u);
        Section* s = ctx.sections.find_section(section);
        s->length = std::max(s->length, address + size - s->units->address);
        return u;
    }

    // A label, or with a bit number a bit symbol at that byte address.
    void name(const std::string& text, int32_t value, int32_t bit_no = -1) {
        SymbolEntry entry;
        entry.name = ctx.str_save(text);
        entry.file_name = "TEST.ROV";
        entry.value = value;
        entry.bit_no = uint8_t(bit_no < 0 ? 0 : bit_no);
        entry.kind = bit_no < 0 ? SYM_LABEL : SYM_BIT;
        ctx.symbols.enter_symbol(entry);
    }

    // The units first_unit to last_unit are the module being processed.
    void module(int32_t first_unit, int32_t last_unit) {
        ctx.reader.unit_base = first_unit;
        ctx.pass2.last_unit = last_unit;
    }

    void write(const std::string& file, const ByteWriter& bytes) const { dir.write(file, bytes.bytes()); }

    std::unique_ptr<test::FileCursor> open(const std::string& file) const {
        return test::FileCursor::open((dir / file).string());
    }

    int run(const std::function<void()>& step) { return run_step(ctx, step); }

    // Streams a module's pass-2 part as pass 2 streams a relocatable file
    // from where pass 1 stopped; returns the exit status.
    int process(const ByteWriter& part) {
        write("PART.ROV", part);
        code = open("PART.ROV");
        auto reloc = open("PART.ROV");
        return run([&] {
            if (!find_contents(*code)) return;
            process_contents(ctx, *code, starts_with_relocation(*reloc) ? reloc.get() : nullptr);
        });
    }

    // Closes the HEX file and returns its text.
    std::string hex_text() {
        if (ctx.output.hex_file != nullptr) {
            EXPECT_TRUE(ctx.output.hex_file->close());
            ctx.output.hex_file.reset();
        }
        return read_file(hex_path);
    }

    // Closes the HEX file and reads it back through objcopy.
    Bytes image() {
        hex_text();
        HexReadback back = read_back_hex(hex_path);
        EXPECT_TRUE(back.accepted) << back.messages;
        return back.bytes;
    }

    std::filesystem::path saved_dir;
    TempDir dir;
    CapturedStream out;
    CapturedStream err;
    LinkContext ctx;
    std::filesystem::path hex_path;
    std::unique_ptr<test::FileCursor> code;  // the contents handle of `process`
};

}  // namespace orv::test::p2
