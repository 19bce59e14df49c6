#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "fixture/library_writer.h"
#include "support/run_linker.h"
#include "tools/tool_objects.h"

// The orvlib binary as a person runs it: usage, messages and statuses.
namespace orv::test {
namespace {

using namespace orvfixture;

RunResult orvlib(const TempDir& dir, const std::vector<std::string>& args) { return run_program(ORVLIB_PATH, dir.path(), args); }

std::string hex4(std::size_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%04lX", (unsigned long)value);
    return text;
}

std::string hex8(std::size_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08lX", (unsigned long)value);
    return text;
}

std::string bytes_of(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(OrvlibCommand, HelpAndWrongUsage) {
    TempDir dir;
    RunResult help = orvlib(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: orvlib create OUT.LIB A.ROV [B.ROV ...]", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("exit status: 0 done, 1 an input could not be read or is damaged"), std::string::npos);
    EXPECT_EQ(help.err, "");

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"create", "X.LIB"},
                                               {"list"},
                                               {"list", "A.LIB", "B.LIB"},
                                               {"extract", "A.LIB"},
                                               {"extract", "A.LIB", "M", "-x", "OUT.ROV"},
                                               {"extract", "A.LIB", "M", "-o"},
                                               {"--help", "list"},
                                               {"archive", "A.LIB"}}) {
        RunResult wrong = orvlib(dir, args);
        EXPECT_EQ(wrong.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(wrong.err, help.out) << testing::PrintToString(args);
        EXPECT_EQ(wrong.out, "");
    }
}

TEST(OrvlibCommand, CreateListAndExtract) {
    TempDir dir;
    dir.write("obj/putc.rov", bytes_of(putc_module()));
    dir.write("Flags.ROV", bytes_of(flags_module()));

    RunResult created = orvlib(dir, {"create", "RTL.LIB", "obj/putc.rov", "Flags.ROV"});
    EXPECT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(created.out + created.err, "");

    RunResult listed = orvlib(dir, {"list", "RTL.LIB"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out.substr(0, listed.out.find('\n', listed.out.find('\n') + 1) + 1),
              "library RTL.LIB: 2 modules\n"
              "module PUTC: image " + std::to_string(putc_module().size()) + " bytes at offset " +
                  hex8(LibraryWriter().add("PUTC", putc_module()).add("FLAGS", flags_module()).layout()[0].image) +
                  "\n");
    EXPECT_NE(listed.out.find("module FLAGS: image " + std::to_string(flags_module().size()) + " bytes"),
              std::string::npos);

    RunResult by_default = orvlib(dir, {"extract", "RTL.LIB", "PUTC"});
    EXPECT_EQ(by_default.status, 0) << by_default.err;
    EXPECT_EQ(dir.read("PUTC.ROV"), bytes_of(putc_module()));

    RunResult any_case = orvlib(dir, {"extract", "RTL.LIB", "flags", "-o", "out/f.rov"});
    EXPECT_EQ(any_case.status, 1) << "the directory out/ does not exist";
    EXPECT_EQ(any_case.err, "orvlib: cannot write out/f.rov\n");
    std::filesystem::create_directory(dir / "out");
    any_case = orvlib(dir, {"extract", "RTL.LIB", "flags", "-o", "out/f.rov"});
    EXPECT_EQ(any_case.status, 0) << any_case.err;
    EXPECT_EQ(dir.read("out/f.rov"), bytes_of(flags_module()));

    RunResult missing = orvlib(dir, {"extract", "RTL.LIB", "MEMCPY"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "orvlib: RTL.LIB has no module MEMCPY\n");
}

TEST(OrvlibCommand, CreateRejectsWhatIsNoModuleAndWarnsOfUnreachableOnes) {
    TempDir dir;
    dir.write("putc.rov", bytes_of(putc_module()));
    dir.write("sub/PUTC.ROV", bytes_of(putc_module()));
    dir.write("nothing.rov", bytes_of(silent_module()));
    Bytes trailing = putc_module();
    trailing.push_back(0xFF);
    dir.write("trailing.rov", bytes_of(trailing));
    dir.write("lib.rov", bytes_of(LibraryWriter().add("PUTC", putc_module()).bytes()));

    struct Case {
        std::vector<std::string> inputs;
        std::string err;
    } cases[] = {
        {{"putc.rov", "absent.rov"}, "orvlib: cannot read absent.rov\n"},
        {{"sub"}, "orvlib: cannot read sub\n"},
        {{"trailing.rov"},
         "orvlib: trailing.rov: not a relocatable object: at offset " + hex4(putc_module().size()) +
             ": 1 byte follows the module's end record\n"},
        {{"lib.rov"},
         "orvlib: lib.rov: not a relocatable object: at offset 0x0001: format text \"ORVLIB\" does not start with VER.A\n"},
        {{"putc.rov", "sub/PUTC.ROV"}, "orvlib: putc.rov and sub/PUTC.ROV both give the module name PUTC\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"create", "OUT.LIB"};
        args.insert(args.end(), c.inputs.begin(), c.inputs.end());
        RunResult result = orvlib(dir, args);
        EXPECT_EQ(result.status, 1) << c.err;
        EXPECT_EQ(result.err, c.err);
        EXPECT_FALSE(dir.exists("OUT.LIB")) << "nothing is written when an input fails: " << c.err;
    }

    RunResult unwritable = orvlib(dir, {"create", "none/OUT.LIB", "putc.rov"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "orvlib: cannot write none/OUT.LIB\n");

    RunResult warned = orvlib(dir, {"create", "OUT.LIB", "putc.rov", "nothing.rov"});
    EXPECT_EQ(warned.status, 0);
    EXPECT_EQ(warned.err, "orvlib: warning: module NOTHING defines no public name, so the linker never takes it in\n");
    EXPECT_TRUE(dir.exists("OUT.LIB"));
}

// Every check of the library reader, each with one damaged library, through
// `list`; `extract` reads libraries the same way.
TEST(OrvlibCommand, DamagedLibrariesAreRejectedWithTheirOffset) {
    LibraryWriter plain;
    plain.add("PUTC", putc_module());
    EntryLayout parts = plain.layout()[0];
    std::size_t skip_all = parts.end_tag + 1 - parts.number_tag;
    std::size_t skip_rest = parts.end_tag + 1 - parts.after_index;
    std::size_t image_records = ObjectWriter().header("putc.asm").size();
    // Offsets in the library of the image's first relocation and contents tags.
    std::size_t reloc_at = 0, code_at = 0;
    Bytes image = putc_module();
    for (std::size_t i = image_records; i < image.size(); ++i) {
        if (image[i] == 0xF7 && reloc_at == 0) reloc_at = parts.image + i;
        if (image[i] == 0xF8 && code_at == 0) code_at = parts.image + i;
    }
    ASSERT_NE(reloc_at, 0u);
    ASSERT_NE(code_at, 0u);

    struct Case {
        const char* what;
        std::function<void(LibraryWriter&)> damage;
        std::string message;
    } cases[] = {
        {"a format text with more", [](LibraryWriter& w) { w.header.format = "VER.AB"; },
         "at offset 0x0009: library format text \"VER.AB\" is not VER.A"},
        {"more modules counted than written", [](LibraryWriter& w) { w.modules.clear(), w.header.module_count = 1; },
         "at offset " + hex4(LibraryWriter().bytes().size()) + ": file ends inside a module entry"},
        {"an index count too high", [](LibraryWriter& w) { w.modules[0].label_count = 2; },
         "at offset " + hex4(parts.index_records) +
             ": module PUTC: the index block counts 2 labels in 8 bytes, the index holds 1 in 8"},
        {"an unknown index record", [](LibraryWriter& w) { w.modules[0].index_records = Bytes{0xF4}; },
         "at offset " + hex4(parts.index_records) + ": unknown index record tag 0xF4"},
        {"a bit mask of two bits",
         [](LibraryWriter& w) { w.modules[0].index_records = ObjectWriter().bit_symbols({{0x06, 0, "b"}}, 0xFA).bytes(); },
         "at offset " + hex4(parts.index_records + 1) + ": bit mask 0x06 is not a single bit"},
        {"units numbered from 1",
         [](LibraryWriter& w) { w.modules[0].after_index = ObjectWriter().unit_entry(1, {"P", 0, 0, 0, 4}).bytes(); },
         "at offset " + hex4(parts.after_index + 1) + ": unit number 1 where 0 belongs"},
        {"no trailer", [](LibraryWriter& w) { w.modules[0].after_index = Bytes{0xF7, 0x00, 0xF9}; },
         "at offset " + hex4(parts.after_index + 2) + ": expected the module trailer (tag 0xF8), found 0xF9"},
        {"an entry not closed", [](LibraryWriter& w) { w.modules[0].end_tag = 0; },
         "at offset " + hex4(parts.end_tag) + ": expected the end of the module entry (tag 0xFF), found 0x00"},
        {"a skip length one too long", [&](LibraryWriter& w) { w.modules[0].skip_all = uint32_t(skip_all + 1); },
         "at offset " + hex4(parts.start) + ": module PUTC: skip lengths " + hex8(skip_all + 1) + " and " +
             hex8(skip_rest) + " where the entry needs " + hex8(skip_all) + " and " + hex8(skip_rest)},
        {"an image beyond the file", [](LibraryWriter& w) { w.modules[0].image_offset = 0x00FFFFFF; },
         "at offset " + hex4(parts.trailer) + ": module PUTC: image offset 0x00FFFFFF lies beyond the end of the file"},
        {"no contents offset", [](LibraryWriter& w) { w.modules[0].code_offset = 0; },
         "at offset " + hex4(parts.trailer) + ": module PUTC: contents offset 0x00000000 where the image has them at " +
             hex8(code_at)},
        {"a relocation offset at the contents",
         [&](LibraryWriter& w) { w.modules[0].reloc_offset = uint32_t(code_at); },
         "at offset " + hex4(parts.trailer) + ": module PUTC: relocation offset " + hex8(code_at) +
             " where the image has them at " + hex8(reloc_at)},
        {"a damaged image", [&](LibraryWriter& w) { w.modules[0].image[image_records] = 0x42; },
         "at offset " + hex4(parts.image + image_records) + ": module PUTC: image at " + hex8(parts.image) +
             ": unknown pass-1 record tag 0x42"},
    };
    for (const Case& c : cases) {
        LibraryWriter damaged = plain;
        c.damage(damaged);
        TempDir dir;
        dir.write("BAD.LIB", bytes_of(damaged.bytes()));
        RunResult listed = orvlib(dir, {"list", "BAD.LIB"});
        EXPECT_EQ(listed.status, 1) << c.what;
        EXPECT_EQ(listed.err, "orvlib: BAD.LIB: " + c.message + "\n") << c.what;
        EXPECT_EQ(listed.out, "") << c.what;
    }

    TempDir dir;
    LibraryWriter damaged = plain;
    damaged.modules[0].end_tag = 0;
    dir.write("BAD.LIB", bytes_of(damaged.bytes()));
    RunResult extracted = orvlib(dir, {"extract", "BAD.LIB", "PUTC"});
    EXPECT_EQ(extracted.status, 1);
    EXPECT_EQ(extracted.err, "orvlib: BAD.LIB: at offset " + hex4(parts.end_tag) +
                                 ": expected the end of the module entry (tag 0xFF), found 0x00\n");
    EXPECT_FALSE(dir.exists("PUTC.ROV"));

    Bytes untagged = plain.bytes();
    untagged[0] = 0;
    dir.write("UNTAGGED.LIB", bytes_of(untagged));
    RunResult no_tag = orvlib(dir, {"list", "UNTAGGED.LIB"});
    EXPECT_EQ(no_tag.status, 1);
    EXPECT_EQ(no_tag.err, "orvlib: UNTAGGED.LIB: at offset 0x0000: expected the library header (tag 0xF0), found 0x00\n");

    dir.write("EMPTY.LIB", std::string());
    RunResult empty = orvlib(dir, {"list", "EMPTY.LIB"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, "orvlib: EMPTY.LIB: at offset 0x0000: file ends inside the library header\n");

    RunResult absent = orvlib(dir, {"list", "NONE.LIB"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err, "orvlib: cannot read NONE.LIB\n");
}

// Names are UTF-8 on both hosts: on Windows the tools take their command line
// in UTF-16 and open each file by its wide name, so that letters beyond the
// code page reach the file system whole.
TEST(OrvlibCommand, NamesWithLettersBeyondASCIIOpenForBothTools) {
    TempDir dir;
    const std::string folder = "m\xC3\xB3" "dulos";                // módulos
    const std::string object = folder + "/\xC3\x87" "a\xC3\xA7" "a.rov";  // Çaça.rov
    std::filesystem::create_directory(dir.path() / std::filesystem::path(std::u8string(folder.begin(), folder.end())));
    dir.write("putc.rov", bytes_of(putc_module()));
    RunResult dumped = run_program(ORVOBJ_PATH, dir.path(), {"dump", "putc.rov"});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    dir.write("putc.txt", dumped.out);

    RunResult built = run_program(ORVOBJ_PATH, dir.path(), {"build", "putc.txt", "-o", object});
    EXPECT_EQ(built.status, 0) << built.err;
    RunResult again = run_program(ORVOBJ_PATH, dir.path(), {"dump", object});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, dumped.out);

    const std::string library = "Biblioteca \xE2\x82\xAC.LIB";  // Biblioteca €.LIB
    RunResult created = orvlib(dir, {"create", library, object});
    EXPECT_EQ(created.status, 0) << created.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / std::filesystem::path(std::u8string(library.begin(), library.end()))));
    RunResult listed = orvlib(dir, {"list", library});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out.rfind("library " + library + ": 1 module\nmodule \xC3\x87" "A\xC3\xA7" "A: image", 0), 0u) << listed.out;
}

}  // namespace
}  // namespace orv::test
