#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/library_support.h"

// The hints that --explain adds where a likely cause can be named: a name
// spelled nearly right, a file in the other field, a missing comma.
namespace orv::test {
namespace {

using namespace orvfixture;

const std::string INDENT = "             ";

Bytes with_section(const std::string& section) {
    return object([&](ObjectWriter& w) { w.units({{section, 0, 0, 0, 2}}).contents(0, {{0, {1, 2}}}); });
}

TEST(ExplainHints, EachLikelyCauseIsNamed) {
    Bytes needs_uart = object([](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 2}}).externals({"uart_init"}); });
    Bytes defines_uart = object([](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 2}}).labels(0, {{0, "Uart_init"}}); });
    Bytes requests_extra = object([](ObjectWriter& w) { w.units({{"P", 0, 0, 0, 2}}); }, "1.00", {"EXTRA"});
    LibraryWriter rtl;
    rtl.add(test::library_module("PUTC", {.labels = {"putc"}}));

    const ExpectedRun cases[] = {
        {"1: how many fields",
         {},
         "main,,P=C000,-M,-S --explain",
         "ERROR NO.1: Invalid command input\n" + INDENT +
             "5 fields were given, at most 4 are: relocatable files, libraries, section information, command "
             "parameters; options within the parameters are separated by blanks, not commas\n",
         2},
        {"4: the closest long option",
         {},
         "main,,,--memory-usage --explain",
         "ERROR NO.4: Invalid parameter input \"--memory-usage\"\n" + INDENT + "did you mean --print-memory-usage?\n",
         2},
        {"14: a section name in another letter case",
         {{"main.rov", with_section("CONST")}},
         "main,,const,--quiet --explain",
         "ERROR NO.14: Can't find SECTION const\n" + INDENT +
             "did you mean SECTION CONST? (section names keep their letter case, but for z, s, p and r)\n",
         1},
        {"14: a comma missing before the parameters",
         {{"main.rov", with_section("P")}},
         "main,,P=C000 -M,--quiet --explain",
         "ERROR NO.14: Can't find SECTION -M\n" + INDENT + "a comma may be missing before the command parameters\n",
         1},
        {"9: a defined name in another letter case",
         {{"main.rov", needs_uart}, {"uart.rov", defines_uart}},
         "main uart,,,--quiet --explain",
         "ERROR NO.9: Unresolved label \"uart_init\" in MAIN.ROV\n" + INDENT +
             "needed by MAIN.ROV, the first module that refers to \"uart_init\"\n" + INDENT +
             "did you mean \"Uart_init\", defined in UART.ROV?\n",
         1, ""},
        {"0: an object given as a library",
         {{"main.rov", needs_uart}, {"uart.rov", defines_uart}},
         "main,uart.rov,,--quiet --explain",
         "ERROR NO.0: UART.ROV.LIB File not found\n" + INDENT + "UART.ROV exists: relocatable files go in the first field\n",
         2},
        {"0: a library given as an object",
         {{"rtl.lib", rtl.bytes()}},
         "rtl,,,--quiet --explain",
         "ERROR NO.0: RTL.ROV File not found\n" + INDENT +
             "RTL.LIB exists: libraries go in the second field, after the first comma\n",
         2},
        {"0: the module that requested a file",
         {{"main.rov", requests_extra}},
         "main,,,--quiet --explain",
         "ERROR NO.0: EXTRA.ROV File not found\n" + INDENT + "requested by the module MAIN.ROV\n",
         2},
    };
    for (const ExpectedRun& c : cases) {
        expect_run(c);
        // Without the option the hints are not printed.
        ExpectedRun plain = c;
        plain.command = c.command.substr(0, c.command.size() - std::string(" --explain").size());
        plain.out = c.out.substr(0, c.out.find('\n') + 1);
        plain.what += " (without --explain)";
        expect_run(plain);
    }
}

// Only a name that is likely the one meant is offered.
TEST(ExplainHints, FarNamesGetNoHint) {
    const ExpectedRun far = {"14: nothing close",
                             {{"main.rov", with_section("CONST")}},
                             "main,,DATA,--quiet --explain",
                             "ERROR NO.14: Can't find SECTION DATA\n",
                             1};
    expect_run(far);
    const ExpectedRun short_name = {"4: too short to guess", {}, "main,,,--xy --explain",
                                    "ERROR NO.4: Invalid parameter input \"--xy\"\n", 2};
    expect_run(short_name);
}

}  // namespace
}  // namespace orv::test
