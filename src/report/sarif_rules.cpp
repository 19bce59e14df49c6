#include "report/sarif_rules.h"

#include "base/diagnostics.h"

namespace orv {
namespace {

// The "What to do" column of the message table in docs/diagnostics.md, as
// written there (a test holds the two together). Numbers without a text are
// not in use.
const char* const RULE_HELP[ERROR_COUNT] = {
    "Check the name and the current directory; for libraries, check `LIBOV`. Requested names come from the assembler source: shorten them there.",
    "Shorten the command or split it into a command file; answer every prompt with a full line; close every quote.",
    "Free memory, or link fewer modules at once.",
    "Write each item as `NAME` or `NAME=hexaddress`, separated by blanks, each section once.",
    "Correct or remove the option shown; separate options with blanks, not commas.",
    "Name at least one relocatable file.",
    "See the point's row. In most cases the object or library file is damaged or truncated: assemble or build it again.",
    "Rebuild the file with an assembler or librarian of this family that writes this format.",
    "Assemble all modules with the same assembler version, or link without `-V`.",
    "Add the module or library that defines the name, or correct its spelling (letter case counts).",
    "Remove or rename one of the definitions.",
    "Move the absolute code, or change the section information so that sections do not meet; `-A` lets absolute units be placed before relocatable ones.",
    "Remove the address for that section.",
    "-",
    "Correct the section name (one-letter names z, s, p, r are upper-cased; other names keep their case).",
    "Check that the output directory exists and is writable; shorten `-O`/`-F`.",
    "The file is probably truncated: rebuild it.",
    "Check the expression in the source at that place; use a wider field or move the data.",
    "Free disk space and link again.",
    "Use a long jump, or move the code closer.",
    "-",
    "-",
    "Make the program smaller, move sections, or link with `-BANK` for the extend area.",
    "Give every module's part of the section the same attribute.",
    "Compile all modules with the same pointer model.",
    "Place the operand's data in the zero page, or use another addressing mode.",
    "Place the target in the special page, or use another addressing mode.",
    "Check the use of the name in the source.",
    "Correct the address, or link with `-BANK`.",
    "Check the bit expression in the source.",
    "Link with `-BANK`, or move the unit below 0x10000.",
    "Name a file in a writable directory; rename the file make cannot read.",
    "Give either `--output` or `-O`/`-F`.",
    "Correct the declaration shown. Regions are inclusive at both ends and may touch but not overlap.",
    "Move the section (section information), make the modules named smaller, or declare a larger region if the chip has one.",
    "Give the section an address inside a region of its kind in the section information, or declare the region that is missing.",
    "Free disk space, or send the console where it can be written.",
    "Correct the option; `orvlink --help` lists the models.",
    "Place the value outside the range, or end the range before it.",
    "Reserve the bytes in a unit without contents there (or leave them in a gap).",
    "Correct the range or the place, or give `-BANK`.",
    "Give each checksum bytes of its own.",
    "Correct the option shown.",
    "Name the section in the section information, with an address where it belongs.",
    "Name every output differently from the inputs and from each other.",
};

}  // namespace

const char* rule_help(int number) {
    const char* help = number >= 0 && number < ERROR_COUNT ? RULE_HELP[number] : nullptr;
    return help != nullptr ? help : "";
}

}  // namespace orv
