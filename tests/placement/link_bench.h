#pragma once
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "driver/banner.h"
#include "driver/diagnostics.h"
#include "driver/link_context.h"
#include "output/finish.h"
#include "placement/output_names.h"
#include "placement/placement_steps.h"

namespace orv::test {

// A link context run in-process, with standard output and error captured in
// memory, for the phases after pass 1: tests fill the section and symbol
// tables directly, as pass 1 would have.
class LinkBench {
public:
    LinkBench() : ctx(open_console()) { init_linker(ctx); }
    ~LinkBench() {
        std::fclose(console_.out);
        std::fclose(console_.err);
        std::free(out_data_);
        std::free(err_data_);
    }
    LinkBench(const LinkBench&) = delete;
    LinkBench& operator=(const LinkBench&) = delete;

    // A relocatable unit of `size` bytes appended to `section`.
    Unit& unit(std::string_view section, uint32_t size, const char* file = "A.ROV") {
        Unit& u = *ctx.sections.add_unit(ctx.pools, section);
        u.size = static_cast<int32_t>(size);
        u.file_name = ctx.str_save(file);
        u.source_name = ctx.str_save("a.src");
        return u;
    }

    // An absolute unit at `address`.
    Unit& abs_unit(std::string_view section, uint32_t address, uint32_t size, const char* file = "A.ROV") {
        Unit& u = unit(section, size, file);
        u.abs = 1;
        u.address = static_cast<int32_t>(address);
        return u;
    }

    Unit& ram_unit(std::string_view section, uint32_t size, const char* file = "A.ROV") {
        Unit& u = unit(section, size, file);
        u.ram = 1;
        return u;
    }

    // A section information item; `address` < 0 for none.
    void info(const char* name, int32_t address = NO_ADDRESS) {
        ctx.command.sec_info.push_back(SecInfoEntry{ctx.str_save(name), address});
    }

    SymbolEntry& symbol(const char* name, SymKind kind, int32_t value, int32_t unit_no = 0, int32_t bit_no = 0) {
        SymbolEntry entry;
        entry.name = ctx.str_save(name);
        entry.file_name = ctx.str_save("A.ROV");
        entry.kind = kind;
        entry.value = value;
        entry.unit_no = unit_no;
        entry.bit_no = bit_no;
        ctx.symbols.enter_symbol(entry);
        return *ctx.symbols.find_symbol(name);
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

    // Placement without creating the output files.
    int place() {
        return run([this] {
            order_sections(ctx);
            check_section_types(ctx);
            number_sections(ctx);
            build_unit_table(ctx);
            relocate_labels(ctx);
        });
    }

    // Creates the output files PROG.* in `dir` (a host directory).
    int open_outputs(const std::string& dir, const char* name = "PROG") {
        ctx.options.out_dir = ctx.str_save(dir + "/");
        ctx.options.out_name = ctx.str_save(name);
        return run([this] { open_output_files(ctx); });
    }

    int finish_link() {
        return run([this] { finish(ctx); });
    }

    Section& section(const char* name) { return *ctx.sections.find_section(name); }

    std::string out() {
        std::fflush(console_.out);
        return std::string(out_data_, out_size_);
    }
    std::string err() {
        std::fflush(console_.err);
        return std::string(err_data_, err_size_);
    }

private:
    Console open_console() {
        console_.in = stdin;
        console_.out = open_memstream(&out_data_, &out_size_);
        console_.err = open_memstream(&err_data_, &err_size_);
        return console_;
    }

    Console console_;
    char* out_data_ = nullptr;
    std::size_t out_size_ = 0;
    char* err_data_ = nullptr;
    std::size_t err_size_ = 0;

public:
    LinkContext ctx;
};

}  // namespace orv::test
