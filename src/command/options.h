#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "command/symbol_definition.h"

namespace orv {

// The options of the command parameters field.
struct Options {
    int opt_sym = 0;               // -S: symbol file
    int opt_map = 0;               // -M: map file
    int opt_map_symbols = 0;       // -MS: map file lists the globals too
    int opt_no_request = 0;        // -N: ignore files and libraries that modules request
    int opt_version_check = 0;     // -V: every module carries the first one's version
    int opt_quiet = 0;             // -.: no banner (all fields given) and no pass headings
    int opt_absolute_overlap = 0;  // -A: absolute units may overlap before relocatable ones
    int opt_debug = 0;             // -DEBUG: reader trace lines
    int bank_mode = 0;             // -BANK: the extend area above 0xFFFF
    int32_t max_address = 0xFFFF;  // 0x1FFFF with -BANK
    const char* out_dir = nullptr;   // -O: ends in its separator
    const char* out_name = nullptr;  // -F: base name without extension

    // Long options ("--OPTION" or "--OPTION=VALUE"), on the command line or in the
    // command parameters field.
    int ask_help = 0;     // --help: the usage text instead of a link
    int ask_version = 0;  // --version: the title line instead of a link
    const char* why_extract = nullptr;  // --why-extract=FILE: why each library module came in ("-": stdout)
    int cref = 0;         // --cref: cross-reference table of the global names
    int explain = 0;      // --explain: lines after each message that say what and where
    std::vector<std::string> region_declarations;  // --region=NAME:KIND:START-END, as typed
    int print_memory_usage = 0;         // --print-memory-usage: the region table after the totals
    const char* link_report = nullptr;  // --link-report=FILE: the JSON link report
    const char* memory_map = nullptr;   // --memory-map=FILE: the XHTML picture of the memory map
    int opt_stats = 0;    // --stats: phase times and counts on standard error after the run
    int opt_batch = 0;    // --batch: fields not given are empty, never prompted
    int opt_delete_on_error = 0;  // --delete-on-error: a failed run removes its outputs
    int opt_fatal_warnings = 0;   // --fatal-warnings: messages 23, 24, 27 fail the run
    const char* dependency_file = nullptr;  // --dependency-file=FILE: a make rule
    const char* output_file = nullptr;      // --output=FILE: the HEX file's exact name
    const char* out_option = nullptr;  // the first -O or -F token, which --output excludes
    // The image options, as typed; a later --fill, --binary or --srec replaces an earlier one.
    const char* fill_option = nullptr;    // --fill=BYTE[@START-END]
    const char* binary_option = nullptr;  // --binary=FILE[@START-END]
    const char* srec_option = nullptr;    // --srec=FILE
    std::vector<std::string> checksum_options;  // --checksum=MODEL@START-END:PLACE[:be], repeatable
    // --diagnostics-format=classic|gnu lives in the finding log, which prints the messages.
    const char* sarif_file = nullptr;  // --sarif=FILE: the run's messages as a SARIF log
    int quiet_run = 0;  // --quiet: no banner, pass headings, processing lines or totals

    // Start-up code and layout.
    int section_symbols = 0;  // --section-symbols: the linker defines __start_NAME and __stop_NAME
    std::vector<SymbolDefinition> symbol_definitions;        // --defsym=NAME=VALUE, in command order
    OrphanHandling orphan_handling = OrphanHandling::PLACE;  // --orphan-handling=place|warn|error
};

}  // namespace orv
