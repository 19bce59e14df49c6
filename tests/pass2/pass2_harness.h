#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/diagnostics.h"
#include "driver/link_context.h"
#include "fixture/object_writer.h"
#include "output/hex_writer.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"

namespace orv::test::p2 {

// A memory stream standing in for one console stream of an in-process link.
class ConsoleCapture {
public:
    ConsoleCapture() { file_ = open_memstream(&buffer_, &size_); }
    ~ConsoleCapture() {
        std::fclose(file_);
        std::free(buffer_);
    }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::FILE* file() const { return file_; }
    std::string text() {
        std::fflush(file_);
        return std::string(buffer_, size_);
    }

private:
    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
};

// The tables pass 2 reads, filled by hand as pass 1 and placement would
// leave them, with the HEX file open in a fresh directory.
class Pass2Harness {
public:
    Pass2Harness() : ctx(Console{stdin, out.file(), err.file()}), hex_path(dir / "OUT.HEX") {
        ctx.output.hex_file = TextOutput::create(hex_path.string());
        if (ctx.output.hex_file == nullptr) throw std::runtime_error("cannot create the HEX file");
        hex_init(ctx);
    }

    // A unit at its placed address; the section's length covers its units.
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
        Section* s = ctx.sections.find_section(u->section_name);
        int32_t start = s->units->address;
        if (address + size - start > s->length) s->length = address + size - start;
        return u;
    }

    void label(const std::string& name, int32_t value) {
        SymbolEntry entry;
        entry.name = ctx.str_save(name);
        entry.file_name = "TEST.ROV";
        entry.value = value;
        entry.kind = SYM_LABEL;
        ctx.symbols.enter_symbol(entry);
    }

    void bit_symbol(const std::string& name, int32_t address, int32_t bit_no) {
        SymbolEntry entry;
        entry.name = ctx.str_save(name);
        entry.file_name = "TEST.ROV";
        entry.value = address;
        entry.bit_no = bit_no;
        entry.kind = SYM_BIT;
        ctx.symbols.enter_symbol(entry);
    }

    // The units first_unit to last_unit are the module being processed.
    void module(int32_t first_unit, int32_t last_unit) {
        ctx.reader.unit_base = first_unit;
        ctx.pass2.last_unit = last_unit;
    }

    // Writes a file into the directory; returns its full name.
    std::string write(const std::string& name, const orvfixture::ByteWriter& bytes) const {
        dir.write(name, bytes.bytes());
        return (dir / name).string();
    }

    std::unique_ptr<BinaryInput> open(const std::string& name, long offset = 0) const {
        auto file = BinaryInput::open((dir / name).string());
        if (file == nullptr || !file->seek(offset)) throw std::runtime_error("cannot open " + name);
        return file;
    }

    // Runs a step as the driver would: a fatal error is reported and gives
    // its exit status; a step that returns gives 0.
    int run(const std::function<void()>& step) {
        try {
            step();
            return 0;
        } catch (const LinkError& error) {
            return report_fatal(ctx.console, error);
        }
    }

    // Closes the HEX file and returns its text.
    std::string hex_text() {
        if (ctx.output.hex_file != nullptr) {
            if (!ctx.output.hex_file->close()) throw std::runtime_error("HEX file not written");
            ctx.output.hex_file.reset();
        }
        return read_file(hex_path);
    }

    // Closes the HEX file and reads it back through objcopy.
    HexReadback image() {
        hex_text();
        return read_back_hex(hex_path);
    }

    std::string out_text() { return out.text(); }
    std::string err_text() { return err.text(); }

    TempDir dir;
    ConsoleCapture out;
    ConsoleCapture err;
    LinkContext ctx;
    std::filesystem::path hex_path;
};

inline std::string internal_error_text(const std::string& point) {
    return "ERROR NO.6: Internal error at POINT " + point + "\n";
}

}  // namespace orv::test::p2
