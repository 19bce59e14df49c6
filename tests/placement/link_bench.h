#pragma once
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "command/banner.h"
#include "command/output_names.h"
#include "output/finish.h"
#include "placement/placement_steps.h"
#include "support/captured_stream.h"
#include "support/run_step.h"

namespace orv::test {

// A link context run in-process for the phases after pass 1, with standard
// output and error captured in memory. Tests fill the section and symbol
// tables as pass 1 would have.
class LinkBench {
public:
    LinkBench() : ctx(Console{stdin, out_.file(), err_.file()}) { init_linker(ctx); }

    // Units in creation order, one word each: SECTION[@ADDRESS]+SIZE[r][(MEMBER)]
    // in hexadecimal; "@" makes the unit absolute, "r" RAM, a member a library
    // unit. Unit n comes from the file Un.ROV (Un.LIB for a member).
    void units(const std::string& layout) {
        std::istringstream words(layout);
        for (std::string word; words >> word;) {
            std::size_t plus = word.find('+'), at = word.find('@');
            Unit& u = *ctx.sections.add_unit(ctx.pools, word.substr(0, std::min(plus, at)));
            char* rest = nullptr;
            u.size = int32_t(std::strtoul(word.c_str() + plus + 1, &rest, 16));
            if (at < plus) u.address = int32_t(std::strtoul(word.c_str() + at + 1, nullptr, 16));
            u.abs = at < plus;
            u.ram = *rest == 'r';
            std::size_t open = word.find('(');
            if (open != std::string::npos) {
                u.member_name = ctx.str_save(word.substr(open + 1, word.size() - open - 2));
            }
            std::string file = "U" + std::to_string(u.unit_no) + (u.member_name ? ".LIB" : ".ROV");
            u.file_name = ctx.str_save(file);
            u.source_name = ctx.str_save("u" + std::to_string(u.unit_no) + ".src");
        }
    }

    // Section information items NAME or NAME=ADDRESS (hexadecimal).
    void infos(const std::string& items) {
        std::istringstream words(items);
        for (std::string word; words >> word;) {
            std::size_t eq = word.find('=');
            int32_t address = eq == std::string::npos ? NO_ADDRESS : int32_t(std::stoul(word.substr(eq + 1), nullptr, 16));
            ctx.command.sec_info.push_back(SecInfoEntry{ctx.str_save(word.substr(0, eq)), address});
        }
    }

    SymbolEntry& symbol(const char* name, SymKind kind, int32_t value, int32_t unit_no = 0, int32_t bit_no = 0) {
        SymbolEntry entry;
        entry.name = ctx.str_save(name);
        entry.kind = kind;
        entry.value = value;
        entry.unit_no = unit_no;
        entry.bit_no = uint8_t(bit_no);
        ctx.symbols.enter_symbol(entry);
        return *ctx.symbols.find_symbol(name);
    }

    int run(const std::function<void()>& step) { return run_step(ctx, step); }

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

    // Creates the output files NAME.* in the host directory `dir`.
    int open_outputs(const std::string& dir, const std::string& name = "PROG") {
        ctx.options.out_dir = ctx.str_save(dir + "/");
        ctx.options.out_name = ctx.str_save(name);
        return run([this] { open_output_files(ctx); });
    }

    int finish_link() {
        return run([this] { finish(ctx); });
    }

    Unit& unit(int unit_no) { return *ctx.sections.unit_table.at(std::size_t(unit_no)); }
    Section& section(const char* name) { return *ctx.sections.find_section(name); }

    std::string out() { return out_.text(); }
    std::string err() { return err_.text(); }

private:
    CapturedStream out_;
    CapturedStream err_;

public:
    LinkContext ctx;
};

}  // namespace orv::test
