#include <string>

#include "pass1/linker_names_support.h"

namespace orv::test::linker_names {
namespace {

const std::string SECTION_NAMES[] = {"__start_DATA", "__stop_DATA", "__start_Z", "__stop_Z",
                                     "__start_S",    "__stop_S",    "__start_P", "__stop_P", "__stop_z"};

// MAIN.ROV: P (16 bytes of code), the RAM section DATA, the zero page Z and
// the special page S, and a field for the start or stop of each in every
// relocation type that holds an address.
void write_main(const TempDir& dir) {
    ObjectWriter w;
    w.header("main.src")
        .units({{"P", 0, 0, 0, 16}, {"DATA", 1, 0, 0, 0x10}, {"Z", 1, 0, 0, 4}, {"S", 0, 0, 0, 2}})
        .externals(std::vector<std::string>(std::begin(SECTION_NAMES), std::end(SECTION_NAMES)))
        .relocation(0, {{0, REL_ADDRESS, 2, e(name_term("__start_DATA"))},
                        {2, REL_ADDRESS, 2, e(name_term("__stop_DATA"))},
                        {4, REL_ZERO_PAGE, 1, e(name_term("__stop_Z"))},
                        {5, REL_SPECIAL_PAGE, 1, e(name_term("__stop_S"))},
                        {6, REL_RELATIVE, 1, e(name_term("__start_P"))},
                        {7, REL_VALUE, 1, e(name_term("__stop_Z"))},
                        {8, REL_VALUE, 2, e(name_term("__stop_P"))},
                        {10, REL_VALUE, 3, e(name_term("__start_S"))},
                        {13, REL_BIT_ADDRESS, 2, e(name_term("__start_DATA"))},
                        {15, REL_VALUE, 1, e(name_term("__stop_DATA", PREFIX_HIGH))}})
        .contents(0, {{0, Bytes(16, 0)}})
        .end();
    dir.write("MAIN.ROV", w.bytes());
}

TEST(SectionSymbols, StartAndStopOfEverySectionInEveryAddressField) {
    TempDir dir;
    write_main(dir);
    RunResult run = run_orvlink(dir.path(), {"--section-symbols", "MAIN,,P=C000 DATA=200,-. -MS -S"});
    // A label in a bit-address field is listed as the wrong kind, as any label is.
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\n"
              "processing \"MAIN.ROV\"\n"
              "ERROR NO.27: label \"__start_DATA\" type is mismatch.\n"
              "TOTAL ROM SIZE 18 (12H) BYTES\n"
              "TOTAL RAM SIZE 20 (14H) BYTES\n");
    const Bytes image = image_of(dir);
    ASSERT_EQ(image.size(), 16u);
    EXPECT_EQ(field(image, 0, 2), 0x0200u);   // DATA starts at 0200
    EXPECT_EQ(field(image, 2, 2), 0x0210u);   // and ends before 0210
    EXPECT_EQ(field(image, 4, 1), 0x04u);     // Z: 0000 to 0004
    EXPECT_EQ(field(image, 5, 1), 0x02u);     // S ends at FF02, stored as its page offset
    EXPECT_EQ(field(image, 6, 1), 0xF9u);     // C000 - C007: back to the start of P
    EXPECT_EQ(field(image, 7, 1), 0x04u);
    EXPECT_EQ(field(image, 8, 2), 0xC010u);
    EXPECT_EQ(field(image, 10, 3), 0x00FF00u);
    EXPECT_EQ(field(image, 13, 2), 0x0200u);
    EXPECT_EQ(field(image, 15, 1), 0x02u);
    // They are global labels, listed with the module's own; the one-letter
    // name z stands for the section Z.
    EXPECT_EQ(map_listing(dir, "GLOBAL LABEL INFORMATION"),
              "__start_DATA    0200   __start_P       C000   __start_S       FF00   \n"
              "__start_Z       0000   __stop_DATA     0210   __stop_P        C010   \n"
              "__stop_S        FF02   __stop_Z        0004   __stop_z        0004   ");
    EXPECT_NE(plain_text(dir.read("MAIN.SYM"))
                  .find("# GLOBAL LABEL\n__start_DATA 200  __start_P C000  __start_S FF00  __start_Z 0  "
                        "__stop_DATA 210  __stop_P C010  __stop_S FF02  __stop_Z 4  \n__stop_z 4  \n"),
              std::string::npos)
        << dir.read("MAIN.SYM");
}

TEST(SectionSymbols, WithoutTheOptionTheNamesStayUnresolved) {
    TempDir dir;
    write_main(dir);
    RunResult run = run_orvlink(dir.path(), {"MAIN,,P=C000 DATA=200,-."});
    EXPECT_EQ(run.status, 1);
    std::string expected = "processing \"MAIN.ROV\"\n";
    for (const char* name : {"__start_DATA", "__start_P", "__start_S", "__start_Z", "__stop_DATA", "__stop_P",
                             "__stop_S", "__stop_Z", "__stop_z"}) {
        expected += std::string("ERROR NO.9: Unresolved label \"") + name + "\" in MAIN.ROV\n";
    }
    EXPECT_EQ(run.out, expected);
    EXPECT_FALSE(dir.exists("MAIN.HEX"));
}

// With -BANK, DATA lies in the extend area: the values pass 0xFFFF in every
// field wide enough, and the listings show them whole.
TEST(SectionSymbols, ValuesAboveFFFFWithBank) {
    TempDir dir;
    ObjectWriter w;
    w.header("main.src")
        .units({{"P", 0, 0, 0, 9}, {"DATA", 1, 0, 0, 0x10}})
        .externals({"__start_DATA", "__stop_DATA"})
        .relocation(0, {{0, REL_VALUE, 3, e(name_term("__start_DATA"))},
                        {3, REL_VALUE, 3, e(name_term("__stop_DATA"))},
                        {6, REL_VALUE, 1, e(name_term("__stop_DATA", PREFIX_BANK))},
                        {7, REL_ADDRESS, 2, e(name_term("__stop_DATA"))}})
        .contents(0, {{0, Bytes(9, 0)}})
        .end();
    dir.write("MAIN.ROV", w.bytes());
    RunResult run = run_orvlink(dir.path(), {"--section-symbols", "MAIN,,P=C000 DATA=10000,-. -BANK -MS -S"});
    EXPECT_EQ(run.status, 0) << run.out;
    const Bytes image = image_of(dir);
    ASSERT_EQ(image.size(), 9u);
    EXPECT_EQ(field(image, 0, 3), 0x010000u);
    EXPECT_EQ(field(image, 3, 3), 0x010010u);
    EXPECT_EQ(field(image, 6, 1), 0x01u);
    EXPECT_EQ(field(image, 7, 2), 0x0010u);  // an address up to 1FFFF, its low 16 bits stored
    EXPECT_EQ(map_listing(dir, "GLOBAL LABEL INFORMATION"), "__start_DATA    10000   __stop_DATA     10010   ");
    EXPECT_NE(dir.read("MAIN.SYM").find("# GLOBAL LABEL\r\n__start_DATA 10000  __stop_DATA 10010  "),
              std::string::npos);
}

// A library module that defines __stop_DATA is taken in for it as for any
// undefined name, and its definition stands; the linker defines only
// __start_DATA. The listings name each definer.
TEST(SectionSymbols, ALibraryDefinitionStandsAndTheDefinersAreListed) {
    TempDir dir;
    ObjectWriter main_module, stop_module, other_module;
    main_module.header("main.src")
        .units({{"P", 0, 0, 0, 4}, {"DATA", 1, 0, 0, 8}})
        .externals({"__start_DATA", "__stop_DATA"})
        .relocation(0, {{0, REL_VALUE, 2, e(name_term("__start_DATA"))},
                        {2, REL_VALUE, 2, e(name_term("__stop_DATA"))}})
        .contents(0, {{0, Bytes(4, 0)}})
        .end();
    stop_module.header("stop.src").symbols({{0x4321, "__stop_DATA"}}).end();
    other_module.header("other.src").symbols({{1, "unused"}}).end();
    dir.write("MAIN.ROV", main_module.bytes());
    dir.write("L.LIB",
              LibraryWriter().add("OTHER", other_module.bytes()).add("STOP", stop_module.bytes()).bytes());
    RunResult run = run_orvlink(dir.path(), {"--section-symbols", "--cref", "--link-report=REPORT.JSON",
                                             "MAIN,L,P=C000 DATA=200,-."});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("processing \"L.LIB ( STOP )\"\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("OTHER"), std::string::npos) << run.out;
    const Bytes image = image_of(dir);
    EXPECT_EQ(field(image, 0, 2), 0x0200u);
    EXPECT_EQ(field(image, 2, 2), 0x4321u);
    EXPECT_NE(run.out.find("__start_DATA                                      --section-symbols\n"
                           "                                                  MAIN.ROV\n"
                           "__stop_DATA                                       L.LIB(STOP)\n"
                           "                                                  MAIN.ROV\n"),
              std::string::npos)
        << run.out;
    RunResult globals = run_program(
        "python3", dir.path(),
        {"-c",
         "import json, sys\n"
         "for g in json.load(open('REPORT.JSON'))['globals']:\n"
         "    print(g['name'], g['kind'], hex(g['value']), g['file'], g['library_module'])\n"});
    EXPECT_EQ(globals.status, 0) << globals.err;
    EXPECT_EQ(globals.out,
              "__start_DATA label 0x200 --section-symbols None\n"
              "__stop_DATA symbol 0x4321 L.LIB STOP\n");
}

// USER, taken in for userfn, is the first to refer to __stop_DATA; STOP,
// which defines it, stands before USER and so is taken in by the next cycle,
// before the linker would define the name.
TEST(SectionSymbols, ANameFirstNeededByALibraryModuleIsStillLookedForInTheLibraries) {
    TempDir dir;
    ObjectWriter main_module, stop_module, user_module;
    main_module.header("main.src")
        .units({{"P", 0, 0, 0, 2}, {"DATA", 1, 0, 0, 8}})
        .externals({"userfn"})
        .relocation(0, {{0, REL_ADDRESS, 2, e(name_term("userfn"))}})
        .contents(0, {{0, Bytes(2, 0)}})
        .end();
    stop_module.header("stop.src").symbols({{0x4321, "__stop_DATA"}}).end();
    user_module.header("user.src")
        .units({{"P", 0, 0, 0, 2}})
        .labels(0, {{0, "userfn"}})
        .externals({"__stop_DATA"})
        .relocation(0, {{0, REL_VALUE, 2, e(name_term("__stop_DATA"))}})
        .contents(0, {{0, Bytes(2, 0)}})
        .end();
    dir.write("MAIN.ROV", main_module.bytes());
    dir.write("L.LIB", LibraryWriter().add("STOP", stop_module.bytes()).add("USER", user_module.bytes()).bytes());
    RunResult run = run_orvlink(dir.path(), {"--section-symbols", "MAIN,L,P=C000 DATA=200,-."});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("processing \"L.LIB ( USER )\"\nprocessing \"L.LIB ( STOP )\"\n"), std::string::npos)
        << run.out;
    const Bytes image = image_of(dir);
    EXPECT_EQ(field(image, 0, 2), 0xC002u);
    EXPECT_EQ(field(image, 2, 2), 0x4321u);
}

// A --defsym may follow a name the linker defines for a section, and one
// may take the place of such a name: the linker then leaves it alone.
TEST(SectionSymbols, DefinitionsFromTheCommandFollowOrReplaceThem) {
    TempDir dir;
    ObjectWriter w;
    w.header("main.src")
        .units({{"P", 0, 0, 0, 4}, {"DATA", 1, 0, 0, 8}})
        .externals({"__start_DATA", "heap"})
        .relocation(0, {{0, REL_ADDRESS, 2, e(name_term("__start_DATA"))}, {2, REL_ADDRESS, 2, e(name_term("heap"))}})
        .contents(0, {{0, Bytes(4, 0)}})
        .end();
    dir.write("MAIN.ROV", w.bytes());
    RunResult run = run_orvlink(dir.path(), {"--section-symbols", "--defsym=heap=__stop_DATA+0x10",
                                             "--defsym=__start_DATA=0x300", "MAIN,,P=C000 DATA=200,-. -MS"});
    EXPECT_EQ(run.status, 0) << run.out;
    const Bytes image = image_of(dir);
    EXPECT_EQ(field(image, 0, 2), 0x0300u);
    EXPECT_EQ(field(image, 2, 2), 0x0218u);
    EXPECT_EQ(map_listing(dir, "GLOBAL LABEL INFORMATION"), "__stop_DATA     0208   heap            0218   ");
    EXPECT_EQ(map_listing(dir, "GLOBAL SYMBOL INFORMATION"), "__start_DATA    0300   ");
}

// A name whose section does not exist stays unresolved; --explain says so
// and names the section closest to it.
TEST(SectionSymbols, ANameWithoutItsSectionIsUnresolvedAndExplained) {
    TempDir dir;
    ObjectWriter w;
    w.header("main.src")
        .units({{"P", 0, 0, 0, 2}, {"DATA", 1, 0, 0, 8}, {"DAT_LONG", 1, 0, 0, 8}})
        .externals({"__start_DATX", "__stop_", "__stop_DATA"})
        .relocation(0, {{0, REL_VALUE, 2, e(name_term("__start_DATX"))}})
        .contents(0, {{0, Bytes(2, 0)}})
        .end();
    dir.write("MAIN.ROV", w.bytes());
    RunResult plain = run_orvlink(dir.path(), {"--section-symbols", "MAIN,,,-."});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out,
              "processing \"MAIN.ROV\"\n"
              "ERROR NO.9: Unresolved label \"__start_DATX\" in MAIN.ROV\n"
              "ERROR NO.9: Unresolved label \"__stop_\" in MAIN.ROV\n");
    RunResult explained = run_orvlink(dir.path(), {"--section-symbols", "--explain", "MAIN,,,-."});
    EXPECT_EQ(explained.status, 1);
    const std::string indent(13, ' ');
    EXPECT_EQ(explained.out,
              "processing \"MAIN.ROV\"\n"
              "ERROR NO.9: Unresolved label \"__start_DATX\" in MAIN.ROV\n" +
                  indent + "needed by MAIN.ROV, the first module that refers to \"__start_DATX\"\n" + indent +
                  "no section DATX exists; the closest is DATA\n"
                  "ERROR NO.9: Unresolved label \"__stop_\" in MAIN.ROV\n" +
                  indent + "needed by MAIN.ROV, the first module that refers to \"__stop_\"\n");
}

}  // namespace
}  // namespace orv::test::linker_names
