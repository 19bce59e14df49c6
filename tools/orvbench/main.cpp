// orvbench-gen: writes one set of the synthetic link workload.
//   orvbench-gen -M N [-S N] [-R N] [-B N] [-L N] [-F X] [-D N] [--seq] [--peers] -o DIR
// DIR/workload.json holds the requested and effective parameters; DIR/orv/
// the linker's inputs and DIR/orv/fields.txt the command fields that link
// them; with --peers, DIR/ld65/src/ and DIR/avr/src/ one assembler source per
// module for each peer toolchain, main modules first, then the library in order.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "orvbench/emitters.h"
#include "orvbench/workload.h"

namespace {

void write_text(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

int usage() {
    std::fputs("usage: orvbench-gen -M N [-S N] [-R N] [-B N] [-L N] [-F X] [-D N] [--seq] [--peers] -o DIR\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    orvbench::Params p;
    std::string out;
    bool peers = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--seq") {
            p.seq_names = true;
        } else if (arg == "--peers") {
            peers = true;
        } else if (arg.size() == 2 && arg[0] == '-' && std::strchr("MSRBLFDo", arg[1]) != nullptr) {
            const char* v = value();
            if (v == nullptr) return usage();
            switch (arg[1]) {
            case 'M': p.modules = std::atoi(v); break;
            case 'S': p.labels = std::atoi(v); break;
            case 'R': p.refs = std::atoi(v); break;
            case 'B': p.bytes = std::atoi(v); break;
            case 'L': p.lib = std::atoi(v); break;
            case 'F': p.pulled = std::atof(v); break;
            case 'D': p.depth = std::atoi(v); break;
            default: out = v; break;
            }
        } else {
            return usage();
        }
    }
    if (out.empty()) return usage();
    try {
        const orvbench::Workload w = orvbench::build(p);
        namespace fs = std::filesystem;
        fs::create_directories(fs::path(out) / "orv");
        write_text(fs::path(out) / "workload.json", w.summary_json());
        write_text(fs::path(out) / "orv" / "fields.txt", orvbench::write_orv_inputs(w, out + "/orv") + "\n");
        if (peers) {
            for (const char* peer : {"ld65", "avr"}) {
                fs::path src = fs::path(out) / peer / "src";
                fs::remove_all(src);
                fs::create_directories(src);
                for (const auto* group : {&w.main, &w.library}) {
                    for (const orvbench::Module& m : *group) {
                        write_text(src / (m.file + ".s"), std::string(peer) == "ld65" ? orvbench::ld65_source(m)
                                                                                      : orvbench::avr_source(m));
                    }
                }
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvbench-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
