#pragma once
#include <string>

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "support/run_linker.h"

namespace orv::test {

// main.rov calls putc, which the library written to `library_path` defines:
// the smallest link that reads an object and takes a library module in.
inline void write_main_calling_putc(const TempDir& dir, const std::string& library_path) {
    orvfixture::ObjectWriter main_module;
    main_module.header("main.src").units({{"P", 0, 0, 0, 2}}).externals({"putc"}).end();
    dir.write("main.rov", main_module.bytes());
    orvfixture::ObjectWriter putc_module;
    putc_module.header("putc.src").units({{"P", 0, 0, 0, 1}}).labels(0, {{0, "putc"}}).end();
    orvfixture::LibraryWriter library;
    library.add("PUTC", putc_module.bytes());
    dir.write(library_path, library.bytes());
}

}  // namespace orv::test
