#include "orvbench/workload.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace orvbench {
namespace {

constexpr long ADDRESS_SPACE = 0x10000;
constexpr uint64_t HASH_MULTIPLIER = 2654435761u;

std::string label_name(char prefix, bool seq, int number, int s, int label_count) {
    char text[32];
    if (seq) {
        std::snprintf(text, sizeof text, "%c%05d_%02d", prefix, number, s);
    } else {
        uint64_t h = (uint64_t(number) * uint64_t(label_count) + uint64_t(s)) * HASH_MULTIPLIER;
        std::snprintf(text, sizeof text, "%c_%08x", prefix, unsigned(h & 0xFFFFFFFFu));
    }
    return text;
}

Module make_module(char prefix, int number, const Params& p, int size) {
    Module m;
    char file[16];
    std::snprintf(file, sizeof file, "%c%05d", prefix, number);
    m.file = file;
    m.number = number;
    m.size = size;
    for (int s = 0; s < p.labels; ++s) m.labels.push_back(label_name(prefix, p.seq_names, number, s, p.labels));
    return m;
}

}  // namespace

std::vector<Item> Module::layout() const {
    const int s_count = int(labels.size());
    const int filler = size - 2 * int(refs.size());
    if (filler < 0) throw std::invalid_argument(file + ": references do not fit");
    std::vector<Item> items;
    int f = 0;
    for (int s = 0; s < s_count; ++s) {
        items.push_back({Item::LABEL, labels[std::size_t(s)], {}});
        for (std::size_t k = std::size_t(s); k < refs.size(); k += std::size_t(s_count)) {
            items.push_back({Item::REF, refs[k], {}});
        }
        int n = (s + 1) * filler / s_count - s * filler / s_count;
        if (n != 0) {
            Item block{Item::BYTES, {}, {}};
            for (int x = 0; x < n; ++x) block.bytes.push_back(uint8_t((37 * (f + x) + 11 * number) & 0xFF));
            f += n;
            items.push_back(std::move(block));
        }
    }
    return items;
}

long Workload::relocations_linked() const {
    long count = 0;
    for (const Module& m : main) count += long(m.refs.size());
    for (const Module& m : library) {
        if (m.level >= 0) count += long(m.refs.size());
    }
    return count;
}

Workload build(const Params& p) {
    const int M = p.modules, S = p.labels, L = p.lib, D = p.depth;
    if (M < 2 || S < 1 || p.refs < 1 || p.bytes < 2 || L < 0 || p.pulled < 0 || p.pulled > 1 || D < 1) {
        throw std::invalid_argument("need M >= 2, S >= 1, R >= 1, B >= 2, L >= 0, 0 <= F <= 1, D >= 1");
    }
    Workload w;
    w.params = p;
    // Halves go to the even neighbour.
    const int P = int(std::nearbyint(p.pulled * L));
    w.pulled = P;
    w.depth = P != 0 ? std::max(1, std::min(D, P)) : 0;
    for (int d = 0; d < w.depth; ++d) w.level_sizes.push_back(P / w.depth + (d < P % w.depth ? 1 : 0));
    const int n0 = w.level_sizes.empty() ? 0 : w.level_sizes[0];
    const int extra_max = n0 != 0 ? (n0 + M - 1) / M : 0;

    // Fit to 64 KiB: fewer bytes per module, then fewer references.
    const long N = long(M) + P;
    w.bytes = p.bytes;
    w.refs = p.refs;
    if (N * w.bytes > ADDRESS_SPACE) w.bytes = int(ADDRESS_SPACE / N) & ~1;
    if (w.refs + extra_max > w.bytes / 2) w.refs = w.bytes / 2 - extra_max;
    if (w.refs < 1) throw std::invalid_argument("the modules cannot carry a reference each within 64 KiB");
    const int R = w.refs;

    for (int i = 0; i < M; ++i) w.main.push_back(make_module('m', i, p, w.bytes));
    for (int i = 0; i < M; ++i) {
        for (int k = 0; k < R; ++k) {
            int t = int((i + 1 + long(k) * (M - 1) / R) % M);
            w.main[std::size_t(i)].refs.push_back(w.main[std::size_t(t)].labels[std::size_t((i + k) % S)]);
        }
    }

    // Pulled modules deepest level first, spread evenly through the library.
    std::map<int, std::pair<int, int>> level_at;  // position -> (level, index)
    int t = 0;
    for (int d = w.depth - 1; d >= 0; --d) {
        for (int j = 0; j < w.level_sizes[std::size_t(d)]; ++j, ++t) level_at[int(long(t) * L / P)] = {d, j};
    }
    std::vector<std::vector<int>> levels(std::size_t(w.depth));
    for (int d = 0; d < w.depth; ++d) levels[std::size_t(d)].assign(std::size_t(w.level_sizes[std::size_t(d)]), -1);
    std::vector<int> unpulled;
    for (int pos = 0; pos < L; ++pos) {
        Module m = make_module('l', pos, p, w.bytes);
        auto found = level_at.find(pos);
        if (found != level_at.end()) {
            m.level = found->second.first;
            levels[std::size_t(found->second.first)][std::size_t(found->second.second)] = pos;
        } else {
            m.level = -2;
            unpulled.push_back(pos);
        }
        w.library.push_back(std::move(m));
    }

    for (int d = 0; d < w.depth; ++d) {
        const std::vector<int>& target = levels[std::size_t(d + 1 < w.depth ? d + 1 : 0)];
        const std::size_t n = target.size();
        for (std::size_t j = 0; j < levels[std::size_t(d)].size(); ++j) {
            Module& m = w.library[std::size_t(levels[std::size_t(d)][j])];
            for (int k = 0; k < R; ++k) {
                int tgt = target[(j * std::size_t(R) + std::size_t(k)) % n];
                if (tgt == m.number) {
                    tgt = target[(j * std::size_t(R) + std::size_t(k) + 1) % n];
                    if (tgt == m.number) continue;
                }
                m.refs.push_back(w.library[std::size_t(tgt)].labels[(j + std::size_t(k)) % std::size_t(S)]);
            }
        }
    }

    const long U = long(unpulled.size());
    if (U >= 2) {
        for (long u = 0; u < U; ++u) {
            Module& m = w.library[std::size_t(unpulled[std::size_t(u)])];
            for (int k = 0; k < R; ++k) {
                int tgt = unpulled[std::size_t((u + 1 + long(k) * (U - 1) / R) % U)];
                m.refs.push_back(w.library[std::size_t(tgt)].labels[std::size_t((u + k) % S)]);
            }
        }
    }

    // The library's roots, referred to from the main modules.
    if (w.depth != 0) {
        for (std::size_t j = 0; j < levels[0].size(); ++j) {
            const Module& root = w.library[std::size_t(levels[0][j])];
            w.main[j % std::size_t(M)].refs.push_back(root.labels[j % std::size_t(S)]);
        }
    }
    for (const auto* group : {&w.main, &w.library}) {
        for (const Module& m : *group) {
            if (2 * long(m.refs.size()) > m.size) throw std::invalid_argument(m.file + ": references do not fit");
        }
    }
    return w;
}

std::string Workload::summary_json() const {
    long in_inputs = 0;
    for (const auto* group : {&main, &library}) {
        for (const Module& m : *group) in_inputs += long(m.refs.size());
    }
    std::string sizes;
    for (std::size_t d = 0; d < level_sizes.size(); ++d) sizes += (d ? ", " : "") + std::to_string(level_sizes[d]);
    char text[1024];
    std::snprintf(text, sizeof text,
                  "{\n  \"requested\": {\"M\": %d, \"S\": %d, \"R\": %d, \"B\": %d, \"L\": %d, \"F\": %g, "
                  "\"D\": %d, \"names\": \"%s\"},\n"
                  "  \"effective\": {\"M\": %d, \"S\": %d, \"R\": %d, \"B\": %d, \"L\": %d, \"P\": %d, \"D\": %d, "
                  "\"level_sizes\": [%s], \"modules_linked\": %d, \"output_bytes\": %ld, "
                  "\"exported_labels_total\": %ld, \"labels_linked\": %ld, \"relocations_linked\": %ld, "
                  "\"relocations_in_inputs\": %ld}\n}\n",
                  params.modules, params.labels, params.refs, params.bytes, params.lib, params.pulled,
                  params.depth, params.seq_names ? "seq" : "hash", params.modules, params.labels, refs, bytes,
                  params.lib, pulled, depth, sizes.c_str(), modules_linked(), output_bytes(),
                  long(params.modules + params.lib) * params.labels, long(modules_linked()) * params.labels,
                  relocations_linked(), in_inputs);
    return text;
}

}  // namespace orvbench
