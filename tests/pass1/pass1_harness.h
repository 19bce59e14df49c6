#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <utility>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "fixture/object_writer.h"
#include "pass1/object_reader.h"
#include "pass1/pass1.h"
#include "support/captured_stream.h"
#include "support/file_cursor.h"
#include "support/run_linker.h"
#include "support/run_step.h"

namespace orv::test {

using orvfixture::ByteWriter;
using orvfixture::Bytes;
using orvfixture::ObjectWriter;

// A link context of its own, run in-process in a fresh directory that is the
// current directory while the harness lives (requested files are opened by
// bare names).
class Pass1Harness {
public:
    Pass1Harness() : ctx(Console{stdin, out.file(), err.file()}) {
        saved_dir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    ~Pass1Harness() { std::filesystem::current_path(saved_dir_); }

    void write(const std::string& name, const ByteWriter& file) const { dir.write(name, file.bytes()); }

    // The lists that command input would have parsed.
    void list(const std::vector<std::string>& rel_files, const std::vector<std::string>& libraries = {}) {
        for (const std::string& name : rel_files) ctx.command.rel_file_names.push_back(ctx.str_save(name));
        for (const std::string& name : libraries) {
            ctx.command.lib_file_names.push_back(ctx.str_save(name));
            ctx.command.lib_file_flags.push_back(0);
        }
    }

    int run(const std::function<void()>& step) { return run_step(ctx, step); }

    int run_pass1() {
        return run([this] { pass1(ctx); });
    }

    // Reads one module file on its own, as the pass-1 driver does; returns
    // the file position after it.
    long read_module(const std::string& name) {
        long after = -1;
        int status = run([&] {
            auto file = test::FileCursor::open(name);
            if (!file) throw std::runtime_error("missing test file " + name);
            ctx.reader.current_file = ctx.str_save(name);
            ctx.reader.unit_base = ctx.sections.unit_count;
            red_r_module(ctx, *file);
            after = file->tell();
        });
        EXPECT_EQ(status, 0) << out.text();
        return after;
    }

    TempDir dir;
    CapturedStream out;
    CapturedStream err;
    LinkContext ctx;

private:
    std::filesystem::path saved_dir_;
};

// One run of the real binary in a fresh directory holding `files`, with one
// command-line word, and what it must print and return.
struct ExpectedRun {
    std::string what;
    std::vector<std::pair<std::string, Bytes>> files;
    std::string command;
    std::string out;
    int status;
    std::string err = "\a";  // a fatal error's bell
};

inline void expect_run(const ExpectedRun& row) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    for (const auto& [name, bytes] : row.files) dir.write(name, bytes);
    RunResult run = run_orvlink(dir.path(), {row.command});
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.err, row.err);
}

// A relocatable object: the header, then whatever `records` writes, then the
// end tag.
inline Bytes object(const std::function<void(ObjectWriter&)>& records, std::string_view version = "1.00",
                    const std::vector<std::string>& requested_files = {},
                    const std::vector<std::string>& requested_libs = {}, std::string_view format = "VER.A") {
    ObjectWriter w;
    w.header("src.asm", version, requested_files, requested_libs, format);
    records(w);
    return w.end().bytes();
}

// A module with one unit that defines `symbol` and references `externals`.
inline Bytes defining(const std::string& symbol, const std::vector<std::string>& externals = {},
                      const std::vector<std::string>& requested_files = {},
                      const std::vector<std::string>& requested_libs = {}) {
    auto records = [&](ObjectWriter& w) {
        w.units({{"P", 0, 0, 0, 4}}).symbols({{1, symbol}});
        if (!externals.empty()) w.externals(externals);
    };
    return object(records, "1.00", requested_files, requested_libs);
}

// Every unit as "section no ram abs address size file source member", by
// section in list order and by unit in chain order.
inline std::vector<std::string> units_of(const LinkContext& ctx) {
    std::vector<std::string> lines;
    for (const Section* s = ctx.sections.section_list; s != nullptr; s = s->next) {
        for (const Unit* u = s->units; u != nullptr; u = u->next) {
            char line[128];
            std::snprintf(line, sizeof line, "%s %d %d %d %X %X ", u->section_name, u->unit_no, u->ram, u->abs,
                          unsigned(u->address), unsigned(u->size));
            lines.push_back(line + std::string(u->file_name) + " " + u->source_name + " " +
                            (u->member_name != nullptr ? u->member_name : "-"));
        }
    }
    return lines;
}

// Every entry as "name state kind value unit bit file other", in name order
// (state 0 defined, 1 undefined, 2 multiple; kind 0 label, 1 symbol, 2 bit).
inline std::vector<std::string> symbols_of(const SymbolTable& table) {
    std::vector<std::string> lines;
    for (const SymbolEntry* sorted : table.in_name_order()) {
        const SymbolEntry& e = *sorted;
        const std::string name = e.name;
        char line[64];
        std::snprintf(line, sizeof line, " %d %d %X %d %d ", e.state, e.kind, unsigned(e.value), e.unit_no, e.bit_no);
        const char* other_file = table.second_definer(e);
        lines.push_back(name + line + e.file_name + " " + (other_file != nullptr ? other_file : "-"));
    }
    return lines;
}

inline std::string internal_error_line(const std::string& point) {
    return "ERROR NO.6: Internal error at POINT " + point + "\n";
}

}  // namespace orv::test
