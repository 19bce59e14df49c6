#include <gtest/gtest.h>

#include <map>
#include <string>

#include "orvbench/emitters.h"
#include "orvbench/workload.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using orvbench::Params;

// Effective shapes of sets whose figures the peers' measurements list:
// R, B, P, the level sizes, and the relocations linked.
TEST(BenchWorkload, FitsTheSetsTo64KiBAsThePeersLinkedThem) {
    const struct {
        Params params;
        int refs, bytes, pulled;
        std::vector<int> levels;
        long relocations;
    } cases[] = {
        {{10, 10, 10, 256, 200}, 10, 256, 50, {13, 13, 12, 12}, 613},
        {{1000, 10, 10, 256, 1000}, 10, 52, 250, {63, 63, 62, 62}, 12563},
        {{5000, 10, 10, 256, 2000}, 4, 10, 500, {125, 125, 125, 125}, 22125},
        {{10000, 10, 2, 6, 2000}, 2, 6, 500, {125, 125, 125, 125}, 21125},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.params.modules);
        orvbench::Workload w = orvbench::build(c.params);
        EXPECT_EQ(w.refs, c.refs);
        EXPECT_EQ(w.bytes, c.bytes);
        EXPECT_EQ(w.pulled, c.pulled);
        EXPECT_EQ(w.level_sizes, c.levels);
        EXPECT_EQ(w.relocations_linked(), c.relocations);
        EXPECT_EQ(w.output_bytes(), long(w.modules_linked()) * c.bytes);
    }
}

TEST(BenchWorkload, NamesAndChainsFollowTheDefinition) {
    Params p{4, 3, 2, 16, 8};
    orvbench::Workload w = orvbench::build(p);
    EXPECT_EQ(w.main[0].labels[1], "m_9e3779b1");  // (0 * 3 + 1) * 2654435761 mod 2^32
    EXPECT_EQ(w.main[1].refs[0], w.main[2].labels[1]) << "module i + 1 is always referred to";
    p.seq_names = true;
    orvbench::Workload seq = orvbench::build(p);
    EXPECT_EQ(seq.library[5].labels[2], "l00005_02");
    // Callees sit earlier in the library than their callers, except the
    // deepest level's references back to the roots.
    std::map<std::string, int> position;
    for (const orvbench::Module& m : w.library) {
        for (const std::string& label : m.labels) position[label] = m.number;
    }
    for (const orvbench::Module& m : w.library) {
        if (m.level < 0 || m.level == w.depth - 1) continue;
        for (const std::string& ref : m.refs) EXPECT_LT(position.at(ref), m.number) << m.file;
    }
    std::map<orvbench::Item::Kind, int> kinds;
    std::size_t body = 0;
    for (const orvbench::Item& item : w.main[0].layout()) {
        ++kinds[item.kind];
        if (item.kind == orvbench::Item::REF) body += 2;
        if (item.kind == orvbench::Item::BYTES) body += item.bytes.size();
    }
    EXPECT_EQ(kinds[orvbench::Item::LABEL], 3);
    EXPECT_EQ(kinds[orvbench::Item::REF], int(w.main[0].refs.size()));
    EXPECT_EQ(body, std::size_t(w.bytes));
}

// --stats adds its lines on standard error and changes nothing else.
TEST(BenchWorkload, StatsCountWhatTheLinkDidAndChangeNoOutput) {
    TempDir plain, counted;
    orvbench::Workload w = orvbench::build(Params{6, 3, 2, 16, 8});
    std::string fields = orvbench::write_orv_inputs(w, plain.path().string());
    orvbench::write_orv_inputs(w, counted.path().string());
    RunResult without = run_orvlink(plain.path(), {fields + ",,-. -M"}, "", {{"SOURCE_DATE_EPOCH", "0"}});
    RunResult with = run_orvlink(counted.path(), {fields + ",,-. -M", "--stats"}, "", {{"SOURCE_DATE_EPOCH", "0"}});
    ASSERT_EQ(without.status, 0) << without.out;
    EXPECT_EQ(with.status, 0);
    EXPECT_EQ(with.out, without.out);
    EXPECT_EQ(without.err, "");
    EXPECT_EQ(counted.read("M00000.HEX"), plain.read("M00000.HEX"));
    EXPECT_EQ(counted.read("M00000.MAP"), plain.read("M00000.MAP"));

    std::map<std::string, std::string> lines;
    std::size_t at = 0;
    while (at < with.err.size()) {
        std::size_t end = with.err.find('\n', at);
        std::string line = with.err.substr(at, end - at);
        at = end + 1;
        ASSERT_EQ(line.rfind("stats: ", 0), 0u) << line;
        std::size_t value = line.find_first_not_of(' ', 34);
        lines[line.substr(7, line.find_last_not_of(' ', 33) - 6)] = line.substr(value);
    }
    for (const char* phase : {"start-up", "command input", "pass 1", "placement", "pass 2", "finish"}) {
        EXPECT_NE(lines[phase].find(" ms"), std::string::npos) << phase;
    }
    long input_bytes = long((plain.read("M00000.ROV") + plain.read("M00001.ROV") + plain.read("M00002.ROV") +
                             plain.read("M00003.ROV") + plain.read("M00004.ROV") + plain.read("M00005.ROV") +
                             plain.read("WORK.LIB")).size());
    EXPECT_EQ(lines["input files read"], "7");
    EXPECT_EQ(lines["input bytes read"], std::to_string(input_bytes));
    EXPECT_EQ(lines["modules read"], "6");
    EXPECT_EQ(lines["library search cycles"], "2");
    EXPECT_EQ(lines["library modules taken in"], std::to_string(w.pulled));
    EXPECT_EQ(lines["names in the global table"], std::to_string(w.modules_linked() * 3));
    EXPECT_EQ(lines["relocation entries applied"], std::to_string(w.relocations_linked()));
    EXPECT_EQ(lines["HEX data bytes written"], std::to_string(w.output_bytes()));
}

TEST(BenchWorkload, StatsFollowALinkThatFails) {
    TempDir dir;
    RunResult run = run_orvlink(dir.path(), {"GONE,,,-. --stats"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "ERROR NO.0: GONE.ROV File not found\n");
    EXPECT_EQ(run.err.rfind("\astats: start-up", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("stats: pass 1 "), std::string::npos);
    EXPECT_EQ(run.err.find("stats: placement"), std::string::npos) << "placement never ran";
    EXPECT_NE(run.err.find("stats: input files read                     0\n"), std::string::npos);
}

}  // namespace
}  // namespace orv::test
