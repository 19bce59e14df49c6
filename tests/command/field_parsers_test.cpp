#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command/command_harness.h"

namespace orv::test {
namespace {

// What command input made of the fields, in one line: relocatable files |
// libraries | section information | options | output directory and name.
std::string parsed(const LinkContext& ctx) {
    const CommandState& command = ctx.command;
    const Options& o = ctx.options;
    std::string text;
    auto add = [&](const std::string& word) {
        text += (text.empty() || text.back() == ' ' ? "" : " ") + word;
    };
    for (const char* name : command.rel_file_names) add(name);
    text += " | ";
    for (const char* name : command.lib_file_names) add(name);
    text += " | ";
    for (const SecInfoEntry& entry : command.sec_info) {
        char address[16] = "";
        if (entry.address != NO_ADDRESS) {
            std::snprintf(address, sizeof address, "=%X", unsigned(entry.address));
        }
        add(entry.name + std::string(address));
    }
    text += " | ";
    const std::pair<int, const char*> flags[] = {
        {o.opt_sym, "S"},        {o.opt_map, "M"},           {o.opt_map_symbols, "MS"},
        {o.opt_no_request, "N"}, {o.opt_version_check, "V"}, {o.opt_quiet, "."},
        {o.opt_absolute_overlap, "A"}, {o.opt_debug, "DEBUG"}, {o.bank_mode, "BANK"}};
    for (const auto& [set, word] : flags) {
        if (set != 0) add(word);
    }
    if (o.max_address != 0xFFFF) add("max=" + std::to_string(o.max_address));
    text += " | ";
    if (o.out_dir != nullptr) add(std::string("dir=") + o.out_dir);
    if (o.out_name != nullptr) add(std::string("name=") + o.out_name);
    return text;
}

TEST(GetCommand, ParsesTheFieldsIntoListsOptionsAndOutputNames) {
    const std::string n507(507, 'n'), N507(507, 'N'), d511(511, 'd');
    const struct {
        std::string command;
        std::string parsed;
    } cases[] = {
        {"main sub,lib1,P=C000 R,-M -S", "MAIN.ROV SUB.ROV | LIB1.LIB | P=C000 R | S M | name=MAIN"},
        // File lists: upper case and the default extension; nothing else is checked.
        {" prog.rov\tSub.Rov ", "PROG.ROV SUB.ROV |  |  |  | name=PROG"},
        {"prog.obj", "PROG.OBJ.ROV |  |  |  | name=PROG.OBJ"},
        {".rov", ".ROV.ROV |  |  |  | name=.ROV"},
        {"a a,mylib MYLIB.LIB x.rov", "A.ROV A.ROV | MYLIB.LIB MYLIB.LIB X.ROV.LIB |  |  | name=A"},
        {n507 + " " + n507 + ".rov", N507 + ".ROV " + N507 + ".ROV |  |  |  | name=" + N507},
        // Section information: only the one-letter names change case.
        {"a,,p=C000\tr,-.", "A.ROV |  | P=C000 R | . | name=A"},
        {"a,,z s=ff00 DATA=1fF0 p1=100 x =100 P=FFFF",
         "A.ROV |  | Z S=FF00 DATA=1FF0 p1=100 x =100 P=FFFF |  | name=A"},
        {"a,,P=10000 R=1FFFF,-BANK", "A.ROV |  | P=10000 R=1FFFF | BANK max=131071 | name=A"},
        // Options, in either case; -O ends in a separator; overlong texts are ignored.
        {"a,,,-s -n\t-v -a -. -m -DEBUG -S", "A.ROV |  |  | S M N V . A DEBUG | name=A"},
        {"a,,,-MS", "A.ROV |  |  | M MS | name=A"},
        {"a,,,-ms -mS -Ms -bAnK", "A.ROV |  |  | M MS BANK max=131071 | name=A"},
        {"a,,,-Oout", "A.ROV |  |  |  | dir=out\\ name=A"},
        {"a,,,-od:", "A.ROV |  |  |  | dir=d: name=A"},
        {"a,,,-Oobj\\out\\", "A.ROV |  |  |  | dir=obj\\out\\ name=A"},
        {"a,,,-Oobj/out/", "A.ROV |  |  |  | dir=obj/out/ name=A"},
        {"a,,,-Ffirst -fSecond", "A.ROV |  |  |  | name=Second"},
        {"a,,,-O" + d511 + " -O" + std::string(512, 'e') + " -F" + std::string(512, 'f'),
         "A.ROV |  |  |  | dir=" + d511 + "\\ name=A"},
        {"a,,,-F" + d511, "A.ROV |  |  |  | name=" + d511},
        // Output names: the first relocatable file fills in what -O and -F leave open.
        {"obj\\prog d:x a/b", "OBJ\\PROG.ROV D:X.ROV A/B.ROV |  |  |  | dir=OBJ\\ name=PROG"},
        {"obj/prog", "OBJ/PROG.ROV |  |  |  | dir=OBJ/ name=PROG"},
        {"d:prog", "D:PROG.ROV |  |  |  | dir=D: name=PROG"},
        {"d:obj\\sub/prog.x", "D:OBJ\\SUB/PROG.X.ROV |  |  |  | dir=D:OBJ\\SUB/ name=PROG.X"},
        {"my.dir\\prog", "MY.DIR\\PROG.ROV |  |  |  | dir=MY.DIR\\ name=PROG"},
        {"d:prog,,,-Oout", "D:PROG.ROV |  |  |  | dir=out\\ name=PROG"},
        {"d:prog,,,-Fx", "D:PROG.ROV |  |  |  | dir=D: name=x"},
        {"prog,,,-Fname", "PROG.ROV |  |  |  | name=name"},
        {"prog,,,-Oout/ -Fname", "PROG.ROV |  |  |  | dir=out/ name=name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.substr(0, 40));
        CommandHarness run("\n\n\n");
        ASSERT_FALSE(run.get_command({c.command}));
        EXPECT_EQ(parsed(run.ctx), c.parsed);
        EXPECT_EQ(run.ctx.command.lib_file_flags, std::vector<int>(run.ctx.command.lib_file_names.size(), 0));
    }
}

TEST(GetCommand, TheOptionsBeforeAnOffendingTokenAreSet) {
    CommandHarness run("");
    ASSERT_TRUE(run.get_command({"a,,,-M -x -S"}));
    EXPECT_EQ(parsed(run.ctx), " |  |  | M | ") << "nothing after the options is parsed";
}

}  // namespace
}  // namespace orv::test
