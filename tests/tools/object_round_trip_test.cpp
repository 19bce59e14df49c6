#include <gtest/gtest.h>

#include <cstdio>

#include "fixture/library_writer.h"
#include "fixture/object_writer.h"
#include "orvobj/object_text.h"
#include "support/run_linker.h"

// Every object that any test of the suite writes, well-formed or broken,
// must come back byte for byte from its text form: the observer below sees
// each one as it is written, and a difference fails the test that wrote it.
namespace orvobj {
namespace {

std::size_t objects_checked = 0;

void check_round_trip(const Bytes& object) {
    ++objects_checked;
    std::string text = dump_object(object);
    Bytes rebuilt;
    try {
        rebuilt = build_object(text);
    } catch (const TextError& error) {
        ADD_FAILURE() << "the dump of an object does not build: line " << error.line() << ": " << error.what()
                      << "\n" << text;
        return;
    }
    EXPECT_EQ(rebuilt, object) << "dump then build changed an object:\n" << text;
    EXPECT_EQ(build_object(dump_object(object, true)), object) << "the offset comments changed an object";
}

class RoundTripEnvironment : public ::testing::Environment {
public:
    void SetUp() override { orvfixture::set_object_observer(check_round_trip); }
    void TearDown() override {
        orvfixture::set_object_observer(nullptr);
        std::printf("[ round trip ] %zu objects came back from their text form\n", objects_checked);
    }
};

[[maybe_unused]] ::testing::Environment* const round_trip_environment =
    ::testing::AddGlobalTestEnvironment(new RoundTripEnvironment);

using namespace orvfixture;

// The observer is installed and sees the objects of every path that writes
// one: a test's own file, an ObjectWriter saved, a library module's image.
TEST(ObjectRoundTrip, EveryWayOfWritingAnObjectIsChecked) {
    ObjectWriter w;
    w.header().units({{"P", 0, 0, 0, 2}}).labels(0, {{0, "x"}}).contents(0, {{0, {1, 2}}}).end();
    orv::test::TempDir dir;

    std::size_t before = objects_checked;
    dir.write("m.rov", w.bytes());
    EXPECT_EQ(objects_checked, before + 1);
    dir.write("M.OBJ.ROV", w.bytes());
    EXPECT_EQ(objects_checked, before + 2);
    dir.write("cmd.txt", std::string("not an object"));
    EXPECT_EQ(objects_checked, before + 2) << "only relocatable files are objects";
    w.save((dir / "saved.rov").string());
    EXPECT_EQ(objects_checked, before + 3);
    LibraryWriter().add("M", w.bytes());
    EXPECT_EQ(objects_checked, before + 4);
}

// Bytes that stop forming records part-way, as the broken-input tests write
// them, survive too.
TEST(ObjectRoundTrip, BrokenObjectsComeBackToo) {
    ObjectWriter cut;
    cut.header().units({{"P", 0, 0, 0, 4}}).tag(0xF7).n2(0).n3(1).n1(REL_ADDRESS).n1(1).n1(0xF0).n2(0);
    std::size_t before = objects_checked;
    orv::test::TempDir dir;
    dir.write("cut.rov", cut.bytes());
    dir.write("empty.rov", std::string());
    dir.write("names.rov", std::string("\xF0VER.A\0\xF1", 8));
    EXPECT_EQ(objects_checked, before + 3);
}

}  // namespace
}  // namespace orvobj
