#include <gtest/gtest.h>

#include <string>

#include "base/diagnostics.h"
#include "pass1/pass1_harness.h"
#include "support/captured_stream.h"

namespace orv::test {
namespace {

// Bytes below 0x20 and 0x7F in a name are shown as \xHH in every message,
// fatal or listed; every other byte, the backslash of a path and bytes
// above 0x7F included, is shown as it is, and numbers keep their form.
TEST(Diagnostics, ControlBytesOfNamesAreShownAsHexEscapes) {
    CapturedStream out;
    CapturedStream err;
    const Console console{stdin, out.file(), err.file()};
    EXPECT_EQ(report_fatal(console, LinkError(ERR_FILE_NOT_FOUND, "a\x1B[2Jb\x7F\n.ROV")), 2);
    report_listed(console, ERR_UNRESOLVED, "l\x01\x1F", "OBJ\\M\xC3\xA9.ROV");
    report_listed(console, ERR_LOCATION_OVERLAP, "S\t", 0xABCDUL, "L.LIB");
    report_listed_more(console, "( %s )\n", "MOD\x7F");
    report_listed(console, ERR_VALUE_RANGE, " !~", 0x12UL, 0x3UL);
    report_listed_more(console, "%u%% %d\n", 7u, -1);
    EXPECT_EQ(out.text(),
              "ERROR NO.0: a\\x1B[2Jb\\x7F\\x0A.ROV File not found\n"
              "ERROR NO.9: Unresolved label \"l\\x01\\x1F\" in OBJ\\M\xC3\xA9.ROV\n"
              "ERROR NO.11: Location overlap. SECTION=S\\x09 ADDRESS=ABCD in L.LIB ( MOD\\x7F )\n"
              "ERROR NO.17: Expression value is out of range.\n"
              "             SECTION= !~ ADDRESS=0012 OFFSET=0003\n"
              "7% -1\n");
    EXPECT_EQ(err.text(), "\a");

    // A garbled request list of a damaged object, and a command word.
    const std::string garbled(508, '\x1B');
    std::string shown;
    for (std::size_t i = 0; i < garbled.size(); ++i) shown += "\\x1B";
    const auto nothing = [](ObjectWriter&) {};
    expect_run({"request list", {{"main.rov", object(nothing, "1.00", {}, {garbled})}}, "main,,,-.",
                "processing \"MAIN.ROV\"\nERROR NO.0: " + shown + " File not found\n", 2});
    expect_run({"command word", {}, "main,,,-. -\x1B[0m", "ERROR NO.4: Invalid parameter input \"-\\x1B[0m\"\n", 2});
}

}  // namespace
}  // namespace orv::test
