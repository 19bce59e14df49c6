#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The synthetic link workload of the benchmark, independent of any object
// format: modules, their exported labels, the labels each refers to, and
// their bytes. Every emitter (our own files and the peers' sources) walks
// the same model, so all linkers link exactly the same program.
namespace orvbench {

struct Params {
    int modules = 0;     // M: main modules
    int labels = 10;     // S: exported labels per module
    int refs = 10;       // R: references per module
    int bytes = 256;     // B: bytes per module, cut to fit 64 KiB
    int lib = 200;       // L: library modules
    double pulled = 0.25;  // F: share of the library that gets pulled in
    int depth = 4;       // D: depth of the reference chains in the library
    bool seq_names = false;  // names in definition order instead of scrambled
};

// One item of a module's body, in emission order.
struct Item {
    enum Kind { LABEL, REF, BYTES } kind;
    std::string name;            // LABEL, REF
    std::vector<uint8_t> bytes;  // BYTES
};

struct Module {
    std::string file;  // "m00012", "l00345"
    int number = 0;    // main index, or library position
    std::vector<std::string> labels;
    std::vector<std::string> refs;  // in field order
    int size = 0;
    int level = -1;  // -1: main; 0..D-1: pulled library level; -2: never pulled

    // Labels, 16-bit fields and filler, in order: chunk s holds label s,
    // then the references k with k % S == s, then its share of the filler.
    std::vector<Item> layout() const;
};

struct Workload {
    Params params;
    int refs = 0;     // effective R
    int bytes = 0;    // effective B
    int pulled = 0;   // P
    int depth = 0;    // effective D
    std::vector<int> level_sizes;
    std::vector<Module> main;
    std::vector<Module> library;  // in library order

    int modules_linked() const { return int(main.size()) + pulled; }
    long output_bytes() const { return long(modules_linked()) * bytes; }
    long relocations_linked() const;
    std::string summary_json() const;
};

// Builds the workload; throws std::invalid_argument for parameters that
// cannot describe one.
Workload build(const Params& params);

}  // namespace orvbench
