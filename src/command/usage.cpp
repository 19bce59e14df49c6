#include "command/usage.h"

#include <cstdio>

#include "base/link_context.h"

namespace orv {
namespace {

const char* const USAGE_TEXT =
    "Usage: orvlink RELOCATABLE-FILES[,LIBRARIES[,SECTION-INFORMATION[,COMMAND-PARAMETERS]]]\n"
    "       orvlink @COMMAND-FILE\n"
    "       orvlink                  (every field is asked for)\n"
    "       orvlink -V | --version | --help\n"
    "\n"
    "Links relocatable files (.ROV) and library modules (.LIB) of the Orvan family into\n"
    "one absolute program, written as an Intel-HEX file (.HEX).\n"
    "\n"
    "Fields (separated by commas; names within a field by blanks; missing fields are prompted):\n"
    "  relocatable files    names; .ROV is added unless given. The first names the output.\n"
    "  libraries            names; .LIB is added unless given. Searched in LIBOV, then as named.\n"
    "  section information  NAME or NAME=HEXADDRESS, in placement order (e.g. P=C000 R)\n"
    "  command parameters   options, separated by blanks:\n"
    "    -M      map file (.MAP)              -MS     map file with the global names\n"
    "    -S      symbol file (.SYM)           -N      ignore files that modules request\n"
    "    -V      all modules of one version   -A      absolute units may overlap\n"
    "    -BANK   addresses up to 1FFFF        -.      no banner and no pass headings\n"
    "    -Odir   output directory             -Fname  output base name\n"
    "    -DEBUG  trace the object readers\n"
    "\n"
    "Long options (anywhere on the command line up to a lone \"--\", or among the command\n"
    "parameters; a VALUE is taken as typed and ends at a blank):\n"
    "  --help                 this text\n"
    "  --version              the title line on standard output\n"
    "  --why-extract=FILE     why each library module was taken in (\"-\": standard output)\n"
    "  --cref                 cross-reference table of the global names (in the map file,\n"
    "                         or on standard output without one)\n"
    "  --explain              lines after each message that say what and where\n"
    "  --region=NAME:KIND:START-END\n"
    "                         declare a ROM or RAM region (hexadecimal, inclusive);\n"
    "                         every unit must fit a region of its kind (repeatable)\n"
    "  --print-memory-usage   a table of the regions' use after the totals\n"
    "  --link-report=FILE     write a JSON report of the link to FILE\n"
    "  --memory-map=FILE      write a picture of the memory map (XHTML) to FILE\n"
    "  --stats                after the run, each phase's wall time and the link's counts\n"
    "                         (files, bytes, modules, cycles, names, relocations) on\n"
    "                         standard error\n"
    "  --batch                fields not given are empty, never prompted\n"
    "  --output=FILE          the HEX file's exact name; the map and symbol files go\n"
    "                         beside it (not with -O or -F)\n"
    "  --dependency-file=FILE write a make rule: the output files depend on every input\n"
    "                         file the link opened\n"
    "  --delete-on-error      a run that fails removes the output files it created\n"
    "  --fatal-warnings       messages 23, 24 and 27 (and 43 under --orphan-handling=warn)\n"
    "                         end the run with status 1\n"
    "  --section-symbols      define __start_NAME and __stop_NAME, when still undefined\n"
    "                         after the library search, as the first address of section\n"
    "                         NAME and the address one past its last byte\n"
    "  --defsym=NAME=VALUE    define NAME: a number (decimal, or hexadecimal after 0x) as\n"
    "                         a symbol, or a global name with an optional +N or -N as a\n"
    "                         name that follows its final value (repeatable)\n"
    "  --orphan-handling=MODE sections the section information does not list (but Z and\n"
    "                         S): place (default), warn (message 43) or error (status 1)\n"
    "\n"
    "Exit status: 0 success, 1 link errors, 2 command errors, 3 resource errors,\n"
    "4 internal errors.\n";

}  // namespace

void print_usage(LinkContext& ctx) { std::fputs(USAGE_TEXT, ctx.console.out); }

}  // namespace orv
