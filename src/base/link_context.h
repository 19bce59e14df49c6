#pragma once
#include "base/explain.h"
#include "base/findings.h"
#include "base/input_store.h"
#include "base/link_stats.h"
#include "base/opened_inputs.h"
#include "base/pools.h"
#include "command/command_state.h"
#include "command/image_request.h"
#include "command/options.h"
#include "command/region.h"
#include "library/library_state.h"
#include "output/output_state.h"
#include "pass1/cross_references.h"
#include "pass1/linker_symbols_state.h"
#include "pass1/pass1_state.h"
#include "pass1/reader_state.h"
#include "pass1/sections.h"
#include "pass1/symbols.h"
#include "pass2/debug_state.h"
#include "pass2/pass2_state.h"
#include "platform/console.h"

namespace orv {

// Every table of one link. The phases fill it one after another; nothing of
// a link lives outside it, so a link can run twice in one process.
struct LinkContext {
    explicit LinkContext(Console console_streams = {}) : console(console_streams) {
        console.findings = &findings;
    }
    LinkContext(const LinkContext&) = delete;
    LinkContext& operator=(const LinkContext&) = delete;

    Console console;
    Pools pools;
    Options options;
    InputStore inputs;
    CommandState command;
    ReaderState reader;
    SectionTable sections;
    SymbolTable symbols;
    Pass1State pass1;
    LibraryState library;
    Pass2State pass2;
    DebugTables debug;  // functions and source lines, for the reports
    OutputState output;
    ExplainState explain;               // --explain
    CrossReferences cross_references;   // --cref
    RegionTable regions;
    ImageRequest image;  // --fill, --binary, --srec, --checksum
    LinkerSymbols linker_symbols;  // --defsym, --section-symbols
    FindingLog findings;  // the listed findings, for the link report
    LinkStats stats;
    OpenedInputs opened_inputs;  // for the dependency file

    // Set by findings that let the link go on; the finish turns it into status 1.
    int link_failed = 0;
    // Messages 23, 24 and 27 listed so far; --fatal-warnings fails the run on them.
    int warnings_listed = 0;

    // Shorthands for the pools.
    const char* str_save(std::string_view text) { return orv::str_save(pools.str_pool, text); }
};

}  // namespace orv
