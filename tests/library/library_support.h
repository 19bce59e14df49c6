#pragma once
#include <cstdlib>
#include <string>
#include <vector>

#include "fixture/library_writer.h"
#include "pass1/pass1_harness.h"

namespace orv::test {

using orvfixture::LibraryModule;
using orvfixture::LibraryWriter;
using Names = std::vector<std::string>;

// The names a module defines and references.
struct ModuleNames {
    Names labels{};
    Names symbols{};
    Names bits{};
    Names externals{};
};

// A relocatable image with one unit of section P, the given definitions and
// references, one relocation record and one contents record.
inline ObjectWriter module_image(const ModuleNames& names) {
    using namespace orvfixture;
    ObjectWriter w;
    w.header("m.asm", "1.00").units({{"P", 0, 0, 0, 2}});
    std::vector<LabelSpec> labels;
    for (const std::string& name : names.labels) labels.push_back({uint32_t(labels.size()), name});
    if (!labels.empty()) w.labels(0, labels);
    std::vector<SymbolSpec> symbols;
    for (const std::string& name : names.symbols) symbols.push_back({0x1234, name});
    if (!symbols.empty()) w.symbols(symbols);
    std::vector<BitSpec> bits;
    for (const std::string& name : names.bits) bits.push_back({0x04, 0x20, name});
    if (!bits.empty()) w.bit_symbols(bits);
    if (!names.externals.empty()) w.externals(names.externals);
    w.relocation(0, {{0, REL_VALUE, 1, Expr(constant_term(0), constant_term(1))}});
    w.contents(0, {{0, {0x00, 0xEA}}});
    w.end();
    return w;
}

inline LibraryModule library_module(const std::string& name, const ModuleNames& names) {
    return orvfixture::library_module(name, module_image(names).bytes());
}

// A pass-1 harness that also writes libraries and lists what was taken in.
class LibraryHarness : public Pass1Harness {
public:
    using Pass1Harness::write;
    void write(const std::string& name, const LibraryWriter& library) const { dir.write(name, library.bytes()); }

    // "MAIN.ROV" with the given names, listed first, then the libraries.
    void main_module(const ModuleNames& names, const Names& libraries, const Names& requested_libs = {}) {
        auto records = [&](ObjectWriter& w) {
            w.units({{"P", 0, 0, 0, 2}});
            std::vector<orvfixture::LabelSpec> labels;
            for (const std::string& name : names.labels) labels.push_back({0, name});
            if (!labels.empty()) w.labels(0, labels);
            if (!names.externals.empty()) w.externals(names.externals);
        };
        dir.write("MAIN.ROV", object(records, "1.00", {}, requested_libs));
        list({"MAIN.ROV"}, libraries);
    }

    // "name:module_no:library_index" of every module taken in, in order.
    Names taken() const {
        Names names;
        for (const LibModule& m : ctx.library.lib_modules) {
            names.push_back(std::string(m.name) + ":" + std::to_string(m.module_no) + ":" +
                            std::to_string(m.library_index));
        }
        return names;
    }
};

// LIBOV for the length of a test.
class LibraryDirVariable {
public:
    explicit LibraryDirVariable(const std::string& value) { set_environment("LIBOV", value); }
    ~LibraryDirVariable() { unset_environment("LIBOV"); }
    LibraryDirVariable(const LibraryDirVariable&) = delete;
    LibraryDirVariable& operator=(const LibraryDirVariable&) = delete;
};

inline const std::string PASS1_START = "processing \"MAIN.ROV\"\nprocessing \"Libraries\"\n";

}  // namespace orv::test
