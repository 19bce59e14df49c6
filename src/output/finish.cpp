#include "output/finish.h"

#include <cstdio>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "output/checksum_listing.h"
#include "output/cross_reference.h"
#include "output/flash_image.h"
#include "output/image_files.h"
#include "output/map_file.h"
#include "output/symbol_file.h"
#include "report/finish_reports.h"

namespace orv {
namespace {

constexpr char END_OF_FILE = 0x1A;

void print_totals(LinkContext& ctx, long rom_total, long ram_total) {
    close_finding(ctx.console);
    if (ctx.options.quiet_run) return;
    std::fprintf(ctx.console.out, "TOTAL ROM SIZE %ld (%lXH) BYTES\n", rom_total,
                 static_cast<unsigned long>(rom_total));
    std::fprintf(ctx.console.out, "TOTAL RAM SIZE %ld (%lXH) BYTES\n", ram_total,
                 static_cast<unsigned long>(ram_total));
}

// Closes an output file that the finish has completed; data that did not
// reach the disk ends the run.
void close_output(std::unique_ptr<TextOutput>& file) {
    bool closed = file->close();
    file.reset();
    if (!closed) error_exit(ERR_DISK_FULL);
}

}  // namespace

void finish(LinkContext& ctx) {
    // A section counts whole (gaps between its units included) by the
    // attribute of its first unit; a section whose units overlap counts 0.
    // Lengths are the 32-bit values placement left; summing them in 64 bits
    // cannot wrap.
    long rom_total = 0;
    long ram_total = 0;
    for (const Section* section = ctx.sections.section_list; section != nullptr; section = section->next) {
        long length = static_cast<uint32_t>(section->length);
        if (section->units->ram == 0) {
            rom_total += length;
        } else {
            ram_total += length;
        }
    }
    print_totals(ctx, rom_total, ram_total);
    // Without a map file the cross-reference table goes to the console.
    if (ctx.options.cref && !ctx.options.opt_map) write_cross_reference(ctx, nullptr);

    TextOutput& hex = *ctx.output.hex_file;
    write_image_records(ctx);
    hex.print(":00000001FF\n");
    hex.print("%c", END_OF_FILE);
    close_output(ctx.output.hex_file);

    if (ctx.options.opt_map) {
        TextOutput& map = *ctx.output.map_file;
        write_map(ctx);
        if (ctx.options.cref) write_cross_reference(ctx, &map);
        map.print("\nTOTAL ROM SIZE %ld (%lXH) BYTES\n", rom_total, static_cast<unsigned long>(rom_total));
        map.print("TOTAL RAM SIZE %ld (%lXH) BYTES\n", ram_total, static_cast<unsigned long>(ram_total));
        list_checksums(ctx, map);
        map.print("%c", END_OF_FILE);
        close_output(ctx.output.map_file);
    }

    if (ctx.options.opt_sym) {
        write_sym_globals(ctx);
        ctx.output.sym_file->print("%c", END_OF_FILE);
        close_output(ctx.output.sym_file);
    }

    write_binary_image(ctx);
    write_srec_file(ctx);

    // With --fatal-warnings the messages that leave the status alone fail
    // the run too, once the output files are complete.
    if (ctx.options.opt_fatal_warnings && ctx.warnings_listed != 0) ctx.link_failed = 1;

    finish_reports(ctx);

    if (ctx.link_failed) {
        std::fprintf(ctx.console.err, "%c", 7);
        throw LinkError::silent_exit(1);
    }
}

}  // namespace orv
