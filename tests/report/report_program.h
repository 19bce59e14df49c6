#pragma once
#include <string>

#include "support/region_programs.h"

namespace orv::test {

// MAIN.ROV (P, DATA, an absolute VEC, names of every kind) and UTIL.LIB with
// PUTC, which MAIN needs. With P at C000 and the region FLASH C000-C005, PUTC's
// part of P runs one byte past FLASH.
inline void write_report_program(const TempDir& dir) {
    orvfixture::ObjectWriter main_module;
    main_module.header("main.src")
        .units({{"P", 0, 0, 0, 4}, {"DATA", 1, 0, 0, 2}, {"VEC", 0, 1, 0xFFFE, 2}})
        .labels({{0, {{0, "main"}}}, {2, {{0xFFFE, "reset"}}}})
        .symbols({{0x40, "SIZE"}})
        .bit_symbols({{0x08, 0x20, "ready"}})
        .externals({"putc"})
        .end();
    dir.write("MAIN.ROV", main_module.bytes());
    orvfixture::LibraryWriter library;
    library.add("PUTC", region_module({{"P", 0, 0, 0, 3}}, "putc"));
    dir.write("UTIL.LIB", library.bytes());
}

inline const char* const REPORT_REGIONS =
    "--region=FLASH:ROM:C000-C005 --region=SRAM:RAM:200-2FF --region=VECTORS:ROM:FFF0-FFFF";

}  // namespace orv::test
