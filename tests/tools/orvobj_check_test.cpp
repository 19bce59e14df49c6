#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "support/run_linker.h"
#include "tools/tool_objects.h"

// "orvobj check": the linker's own readers name an object's first fault and
// its file offset.
namespace orv::test {
namespace {

using namespace orvfixture;

RunResult check(const TempDir& dir, const std::string& file) {
    return run_program(ORVOBJ_PATH, dir.path(), {"check", file});
}

std::string hex_offset(std::size_t offset) {
    char text[32];
    std::snprintf(text, sizeof text, "offset 0x%06zX", offset);
    return text;
}

std::size_t find_bytes(const Bytes& haystack, const Bytes& needle) {
    return std::size_t(std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) - haystack.begin());
}

// One unit of P; `records` adds what the case needs after it.
Bytes module(const std::function<void(ObjectWriter&)>& records) {
    ObjectWriter w;
    w.header("m.asm").units({{"P", 0, 0, 0, 4}});
    records(w);
    return w.end().bytes();
}

TEST(OrvobjCheck, SoundObjectsPass) {
    TempDir dir;
    dir.write("putc.rov", putc_module());
    dir.write("flags.rov", flags_module());
    for (const char* name : {"putc.rov", "flags.rov"}) {
        RunResult run = check(dir, name);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, std::string(name) + ": no fault found\n");
        EXPECT_EQ(run.err, "");
    }
}

TEST(OrvobjCheck, FirstFaultWithItsOffset) {
    Bytes version = putc_module();
    version[7] = 0x33;
    Bytes truncated = putc_module();
    // Cut inside the language record's name "ASM".
    truncated.resize(truncated.size() - 5);
    // A name the relocation uses but the module neither defines nor refers to.
    Bytes ghost = module([](ObjectWriter& w) {
        w.relocation(0, {{1, REL_ADDRESS, 2, Expr(constant_term(0), name_term("ghost"))}});
        w.contents(0, {{0, {0, 0, 0, 0}}});
    });
    // Contents of a unit the module does not have.
    Bytes stray_unit = module([](ObjectWriter& w) { w.contents(5, {{0, {0}}}); });
    // A label in unit 3 of a module with one unit.
    Bytes stray_label = module([](ObjectWriter& w) { w.labels(3, {{0, "x"}}); });

    const std::string six = " (the link stops with ERROR NO.6: Internal error at POINT ";
    const struct {
        const char* what;
        Bytes object;
        std::string err;
    } cases[] = {
        {"a wrong tag", version, hex_offset(7) + ": expected the version record's tag F1" + six + "2)"},
        {"a truncated file", truncated,
         hex_offset(truncated.size()) + " (the end of the file): expected the rest of a name and its zero byte" +
             six + "10)"},
        {"a name the module does not know", ghost,
         "before " + hex_offset(find_bytes(ghost, {'g', 'h', 'o', 's', 't', 0}) + 6) +
             ": expected a name that the link knows (the module's external references lack it)" + six + "31)"},
        {"a contents record of a unit the module lacks", stray_unit,
         hex_offset(find_bytes(stray_unit, {0xF8, 0x00, 0x05}) + 1) +
             ": expected a unit number of the module's own units in a contents record" + six + "24.4)"},
        {"a label of a unit the module lacks", stray_label,
         hex_offset(stray_label.size() - 1) +
             ": expected public labels that name only units of their own module, whose records end here" + six +
             "7.1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.write("m.rov", c.object);
        RunResult run = check(dir, "m.rov");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "orvobj: m.rov, " + c.err + "\n");
    }
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

using namespace orvfixture;

// A section-size operand naming a section of another module of the link is
// no fault of the module alone; one naming its own section is checked with it.
TEST(OrvobjCheck, SectionSizeOfAnotherModulesSectionIsNoFault) {
    for (const char* section : {"DATA", "P"}) {
        SCOPED_TRACE(section);
        ObjectWriter w;
        w.header("m.asm").units({{"P", 0, 0, 0, 4}});
        w.relocation(0, {{1, REL_ADDRESS, 2, Expr(constant_term(0), section_size_term(section))}});
        w.contents(0, {{0, {0, 0, 0, 0}}});
        TempDir dir;
        dir.write("m.rov", w.end().bytes());
        RunResult run = run_program(ORVOBJ_PATH, dir.path(), {"check", "m.rov"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "m.rov: no fault found\n");
    }
}

// Data past a unit's end is named with the offset of its first byte too much.
TEST(OrvobjCheck, DataPastTheUnitsEndHasItsOffset) {
    ObjectWriter w;
    w.header("m.asm").units({{"P", 0, 0, 0, 4}});
    w.contents(0, {{0, {0xA1, 0xA2, 0xA3, 0xA4, 0xA5}}});
    const Bytes object = w.end().bytes();
    TempDir dir;
    dir.write("m.rov", object);
    RunResult run = run_program(ORVOBJ_PATH, dir.path(), {"check", "m.rov"});
    EXPECT_EQ(run.status, 1);
    char offset[32];
    std::snprintf(offset, sizeof offset, "offset 0x%06zX", std::size_t(std::find(object.begin(), object.end(), 0xA5) - object.begin()));
    EXPECT_EQ(run.err, "orvobj: m.rov, " + std::string(offset) +
                           ": expected no more data bytes than the unit's size holds (the link stops with ERROR NO.6: "
                           "Internal error at POINT 26.4)\n");
}

// Every record of the header has its own offset in "dump --offsets", and a
// fault in it is named by "check" at that same offset.
TEST(OrvobjCheck, DumpOffsetsAndCheckAgreeOnTheHeaderRecords) {
    TempDir dir;
    const Bytes sound = putc_module();
    dir.write("putc.rov", sound);
    RunResult dumped = run_program(ORVOBJ_PATH, dir.path(), {"dump", "--offsets", "putc.rov"});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    for (const auto& [record, tag] : {std::pair{"request-files", 0xF1}, std::pair{"request-libraries", 0xF2}}) {
        SCOPED_TRACE(record);
        const std::size_t line = dumped.out.find(std::string("\n") + record);
        ASSERT_NE(line, std::string::npos) << dumped.out;
        const std::size_t mark = dumped.out.find("# offset 0x", line);
        const std::size_t offset = std::stoul(dumped.out.substr(mark + 11, 6), nullptr, 16);
        ASSERT_LT(offset, sound.size());
        EXPECT_EQ(sound[offset], tag);
        Bytes damaged = sound;
        damaged[offset] = 0x33;
        dir.write("m.rov", damaged);
        RunResult run = check(dir, "m.rov");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind("orvobj: m.rov, " + hex_offset(offset) + ": ", 0), 0u) << run.err;
    }
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

using namespace orvfixture;

// M uses the size of DATA, a section of BUF, whose label it refers to; BUF
// comes as an object or from a library.
Bytes sizing_module() {
    ObjectWriter w;
    w.header("m.asm").units({{"P", 0, 0, 0, 4}}).externals({"buf"});
    w.relocation(0, {{0, REL_ADDRESS, 2, Expr(constant_term(0), section_size_term("DATA"))},
                     {2, REL_ADDRESS, 2, Expr(constant_term(0), name_term("buf"))}});
    w.contents(0, {{0, {0, 0, 0, 0}}});
    return w.end().bytes();
}

Bytes buffer_module() {
    ObjectWriter w;
    w.header("buf.asm").units({{"DATA", 1, 0, 0, 6}}).labels(0, {{0, "buf"}});
    return w.end().bytes();
}

TEST(OrvobjCheck, WithItsLinkASectionSizeNamesTheOtherModulesSections) {
    TempDir dir;
    const Bytes sizing = sizing_module();
    dir.write("m.rov", sizing);
    dir.write("buf.rov", buffer_module());
    dir.write("nothing.rov", silent_module());
    ASSERT_EQ(run_program(ORVLIB_PATH, dir.path(), {"create", "DATA.LIB", "buf.rov"}).status, 0);
    Bytes damaged = buffer_module();
    damaged[7] = 0x33;
    dir.write("bad.rov", damaged);

    const std::string data_name = "before " + hex_offset(find_bytes(sizing, {'D', 'A', 'T', 'A', 0}) + 5);
    const std::string stops = " (the link stops with ERROR NO.6: Internal error at POINT ";
    const struct {
        std::vector<std::string> link;
        int status;
        std::string err;
    } cases[] = {
        {{}, 0, ""},
        {{"--link", "buf.rov"}, 0, ""},
        {{"--link", "m.rov", "DATA.LIB"}, 0, ""},
        // The library is searched only for names still undefined.
        {{"--link", "buf.rov", "DATA.LIB"}, 0, ""},
        {{"--link", "m.rov", "nothing.rov"},
         1,
         "orvobj: m.rov, " + data_name + ": expected the name of a section that some module of the link has" +
             stops + "33)\n"},
        {{"--link", "bad.rov"}, 1, "orvobj: bad.rov, " + hex_offset(7) + ": expected the version record's tag F1" + stops + "2)\n"},
        {{"--link", "buf.rov", "none.rov"}, 1, "orvobj: cannot read none.rov\n"},
        {{"--link"}, 2, "usage: orvobj dump"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"check", "m.rov"};
        args.insert(args.end(), c.link.begin(), c.link.end());
        SCOPED_TRACE(testing::PrintToString(args));
        RunResult run = run_program(ORVOBJ_PATH, dir.path(), args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.status == 0 ? "m.rov: no fault found\n" : "");
        if (c.status == 2) {
            EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
        } else {
            EXPECT_EQ(run.err, c.err);
        }
    }
}

}  // namespace
}  // namespace orv::test
