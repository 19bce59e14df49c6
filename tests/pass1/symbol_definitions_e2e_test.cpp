#include <string>
#include <vector>

#include "pass1/linker_names_support.h"

namespace orv::test::linker_names {
namespace {

struct OperatorCase {
    Expr expr;
    uint32_t value;
};

// K is the number 0x1234 and L the label main + 2, both from --defsym: one
// 4-byte field per binary operator and per prefix.
std::vector<OperatorCase> operator_cases() {
    auto K = [](uint8_t prefix = NO_PREFIX) { return name_term("K", prefix); };
    auto L = [](uint8_t prefix = NO_PREFIX) { return name_term("L", prefix); };
    return {
        {e(K()).then('+', k(1)), 0x1235},
        {e(K()).then('-', k(0x34)), 0x1200},
        {e(K()).then('*', k(2)), 0x2468},
        {e(K()).then('/', k(0x10)), 0x123},
        {e(K()).then('%', k(0x100)), 0x34},
        {e(K()).then('&', k(0xFF0)), 0x230},
        {e(K()).then('|', k(0xF)), 0x123F},
        {e(K()).then('^', k(0xFFFF)), 0xEDCB},
        {e(K()).then('<', k(4)), 0x12340},
        {e(K()).then('>', k(4)), 0x123},
        {e(K(PREFIX_NEGATE)), 0xFFFFEDCC},
        {e(K(PREFIX_NOT)), 0xFFFFEDCB},
        {e(K(PREFIX_COMPLEMENT)), 0xFFFFEDCB},
        {e(K(PREFIX_PLUS)), 0x1234},
        {e(L(PREFIX_HIGH)), 0xC0},
        {e(L(PREFIX_LOW)), 0x02},
        {e(L(PREFIX_LOW16)), 0xC002},
        {e(L(PREFIX_BANK)), 0x00},
        {e(L()).then('-', name_term("main")), 2},
        {e(name_term("N")), 0xC012},
        {e(name_term("B")), 0xBFFE},
    };
}

const std::vector<std::string> DEFSYMS = {"--defsym=K=0x1234", "--defsym=L=main+2", "--defsym=N=L+16",
                                          "--defsym=B=main-0x2"};

void write_operator_program(const TempDir& dir, const std::vector<OperatorCase>& cases) {
    std::vector<RelocSpec> fields;
    for (std::size_t i = 0; i < cases.size(); ++i) fields.push_back({uint32_t(4 * i), REL_VALUE, 4, cases[i].expr});
    const uint32_t size = uint32_t(4 * cases.size());
    ObjectWriter w;
    w.header("main.src")
        .units({{"P", 0, 0, 0, size}})
        .labels(0, {{0, "main"}})
        .externals({"K", "L", "N", "B"})
        .relocation(0, fields)
        .contents(0, {{0, Bytes(size, 0)}})
        .end();
    dir.write("MAIN.ROV", w.bytes());
}

// Numbers become symbols, names labels that follow their name's address,
// also through another --defsym; every operator sees their final values.
TEST(SymbolDefinitions, NumbersAndFollowingLabelsInExpressionsOfEveryOperator) {
    TempDir dir;
    const std::vector<OperatorCase> cases = operator_cases();
    write_operator_program(dir, cases);
    std::vector<std::string> args = DEFSYMS;
    args.push_back("MAIN,,P=C000,-. -MS");
    RunResult run = run_orvlink(dir.path(), args);
    EXPECT_EQ(run.status, 0) << run.out;
    const Bytes image = image_of(dir);
    ASSERT_EQ(image.size(), 4 * cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(field(image, 4 * i, 4), cases[i].value) << "field " << i;
    }
    EXPECT_EQ(map_listing(dir, "GLOBAL LABEL INFORMATION"),
              "B               BFFE   L               C002   N               C012   \n"
              "main            C000   ");
    EXPECT_EQ(map_listing(dir, "GLOBAL SYMBOL INFORMATION"), "K               1234   ");
}

// The same definitions among the command parameters, and a later
// definition of a name replacing the earlier one.
TEST(SymbolDefinitions, AmongTheParametersAndRedefined) {
    TempDir dir;
    const std::vector<OperatorCase> cases = operator_cases();
    write_operator_program(dir, cases);
    RunResult run = run_orvlink(dir.path(), {"MAIN,,P=C000,-. --defsym=K=7 --defsym=L=main+2 --defsym=N=L+16 "
                                             "--defsym=B=main-0x2 --defsym=K=4660"});
    EXPECT_EQ(run.status, 0) << run.out;
    const Bytes image = image_of(dir);
    ASSERT_EQ(image.size(), 4 * cases.size());
    EXPECT_EQ(field(image, 0, 4), 0x1235u);
}

// A --defsym resolves a reference without the library that defines the
// name; the name it follows is a reference that takes its module in.
TEST(SymbolDefinitions, DefinitionsTakeNoLibraryModuleInAndTheirNamesDo) {
    TempDir dir;
    ObjectWriter main_module, k_module, fn_module;
    main_module.header("main.src")
        .units({{"P", 0, 0, 0, 4}})
        .externals({"K", "alias"})
        .relocation(0, {{0, REL_VALUE, 2, e(name_term("K"))}, {2, REL_ADDRESS, 2, e(name_term("alias"))}})
        .contents(0, {{0, Bytes(4, 0)}})
        .end();
    k_module.header("k.src").symbols({{0x99, "K"}}).end();
    fn_module.header("fn.src").units({{"P", 0, 0, 0, 1}}).labels(0, {{0, "libfn"}}).contents(0, {{0, {0xEA}}}).end();
    dir.write("MAIN.ROV", main_module.bytes());
    dir.write("L.LIB", LibraryWriter().add("KMOD", k_module.bytes()).add("LIBFN", fn_module.bytes()).bytes());
    RunResult run = run_orvlink(dir.path(), {"--defsym=K=5", "--defsym=alias=libfn+1", "MAIN,L,P=C000,-."});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "processing \"MAIN.ROV\"\n"
              "processing \"Libraries\"\n"
              "processing \"MAIN.ROV\"\n"
              "processing \"L.LIB ( LIBFN )\"\n"
              "TOTAL ROM SIZE 5 (5H) BYTES\n"
              "TOTAL RAM SIZE 0 (0H) BYTES\n");
    const Bytes image = image_of(dir);
    EXPECT_EQ(field(image, 0, 2), 5u);
    EXPECT_EQ(field(image, 2, 2), 0xC005u);  // libfn at C004, plus one
}

TEST(SymbolDefinitions, AModuleDefiningTheNameTooAndAnUndefinedTarget) {
    TempDir dir;
    ObjectWriter w;
    w.header("main.src").units({{"P", 0, 0, 0, 1}}).labels(0, {{0, "main"}}).contents(0, {{0, {0}}}).end();
    dir.write("MAIN.ROV", w.bytes());
    RunResult twice = run_orvlink(dir.path(), {"--defsym=main=1", "MAIN,,,-."});
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.out,
              "processing \"MAIN.ROV\"\n"
              "ERROR NO.10: \"main\" is multiple defined in MAIN.ROV. others in --defsym\n");
    EXPECT_EQ(twice.err, "");
    RunResult nowhere = run_orvlink(dir.path(), {"--defsym=x=nowhere+1", "MAIN,,,-."});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.out,
              "processing \"MAIN.ROV\"\n"
              "ERROR NO.9: Unresolved label \"nowhere\" in --defsym\n");
}

// Every bad form is a command error that shows the option, before any
// file is read; so is a definition that leads back to itself.
TEST(SymbolDefinitions, BadFormsAndCirclesAreCommandErrors) {
    TempDir dir;
    ObjectWriter w;
    w.header("main.src").units({{"P", 0, 0, 0, 1}}).contents(0, {{0, {0}}}).end();
    dir.write("MAIN.ROV", w.bytes());
    const std::vector<std::vector<std::string>> cases = {
        {"--defsym=x"},          {"--defsym==5"},          {"--defsym=x="},         {"--defsym=1x=5"},
        {"--defsym=x=12z"},      {"--defsym=x=0x"},        {"--defsym=x=0x100000000"},
        {"--defsym=x=4294967296"}, {"--defsym=x=a+"},      {"--defsym=x=a+b"},      {"--defsym=x=a+1+2"},
        {"--defsym=x=-1"},       {"--defsym=x=a=b"},       {"--defsym=x+1=a"},
        {"--defsym=a=b", "--defsym=b=a+1"}, {"--defsym=a=a"},
    };
    for (const std::vector<std::string>& options : cases) {
        std::vector<std::string> args = options;
        args.push_back("MAIN,,,-.");
        RunResult run = run_orvlink(dir.path(), args);
        EXPECT_EQ(run.status, 2) << options[0];
        EXPECT_EQ(run.out, "ERROR NO.42: Invalid symbol definition \"" + options[0] + "\"\n") << options[0];
        EXPECT_EQ(run.err.back(), '\a') << options[0];
    }
    // The largest numbers fit.
    RunResult largest =
        run_orvlink(dir.path(), {"--defsym=x=4294967295", "--defsym=y=0xFFFFFFFF", "--defsym=z=y-0x1", "MAIN,,,-."});
    EXPECT_EQ(largest.status, 0) << largest.out;
    // An option without its value stays a parameter error.
    RunResult bare = run_orvlink(dir.path(), {"--defsym", "MAIN,,,-."});
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.out, "ERROR NO.4: Invalid parameter input \"--defsym\"\n");
}

}  // namespace
}  // namespace orv::test::linker_names
