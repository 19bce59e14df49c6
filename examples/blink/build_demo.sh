#!/usr/bin/env bash
# Builds the example program from its text form and links it:
#   build_demo.sh TOOLS_DIR [OUT_DIR]
# TOOLS_DIR holds orvobj, orvlib, orvlink, orvsize and orvaddr (the build directory); OUT_DIR,
# TOOLS_DIR/demo by default, receives the objects, the library RTL.LIB and
# the HEX, MAP and SYM files, the picture of the memory map, STARTUP.xhtml,
# and the flash image STARTUP.BIN with a CRC-16 of the flash region in its
# last two bytes, and the link report, STARTUP.json. Prints the linker's console output
# (with the memory usage of the regions the blink board has), the map file,
# the sizes by function and one decoded address, and exits with the
# linker's status (or the first failing tool's). A Windows build in TOOLS_DIR
# (orvobj.exe and the others) runs through the program that ORV_TOOL_LAUNCHER
# names, such as wine.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 TOOLS_DIR [OUT_DIR]" >&2
    exit 2
fi
tools=$(cd "$1" && pwd)
out=${2:-$tools/demo}
example=$(cd "$(dirname "$0")" && pwd)
# Each program as a command: the launcher, if any, and NAME or NAME.exe.
launcher=(${ORV_TOOL_LAUNCHER:-})
tool() {
    local program="$tools/$1"
    [ ! -e "$program" ] && [ -e "$program.exe" ] && program="$program.exe"
    echo "$program"
}
orvobj=(${launcher[@]+"${launcher[@]}"} "$(tool orvobj)")
orvlib=(${launcher[@]+"${launcher[@]}"} "$(tool orvlib)")
orvlink=(${launcher[@]+"${launcher[@]}"} "$(tool orvlink)")
orvsize=(${launcher[@]+"${launcher[@]}"} "$(tool orvsize)")
orvaddr=(${launcher[@]+"${launcher[@]}"} "$(tool orvaddr)")

# The run-time library's modules in library order. putc stands before print,
# which needs it, so the linker takes putc only in its second search cycle.
rtl_modules=(putc memcpy print strlen delay mul8)

# Only the files this script makes are removed, so that no output of an
# earlier run is taken for one of this run.
mkdir -p "$out/rtl"
rm -f "$out"/STARTUP.* "$out/MAIN.ROV" "$out/RTL.LIB" "$out"/rtl/*.ROV

echo "== orvobj: the example's text form to relocatable objects"
for module in startup main; do
    upper=$(echo "$module" | tr '[:lower:]' '[:upper:]')
    "${orvobj[@]}" build "$example/$module.txt" -o "$out/$upper.ROV"
    echo "   $module.txt -> $upper.ROV"
done
rtl_objects=()
for module in "${rtl_modules[@]}"; do
    upper=$(echo "$module" | tr '[:lower:]' '[:upper:]')
    "${orvobj[@]}" build "$example/rtl/$module.txt" -o "$out/rtl/$upper.ROV"
    rtl_objects+=("rtl/$upper.ROV")
done
echo "   rtl/*.txt -> rtl/*.ROV (${rtl_modules[*]})"

echo "== orvlib: the run-time library"
(cd "$out" && "${orvlib[@]}" create RTL.LIB "${rtl_objects[@]}")
(cd "$out" && "${orvlib[@]}" list RTL.LIB)

# The board's memory: zero-page RAM below the I/O registers at 00E0, RAM
# from 0200 (the stack lies below it), flash from C000, and the special page
# with the vectors at its top.
regions=(--region=ZP:RAM:0000-00DF --region=SRAM:RAM:0200-03FF --region=FLASH:ROM:C000-FEFF
         --region=SPECIAL:ROM:FF00-FFFF)
# The flash image for the programmer: a CRC-16 of the flash region, less its
# last two bytes, goes into those two bytes, for the boot code to check.
image=(--checksum=crc16-ibm-3740@C000-FEFD:FEFE --binary=STARTUP.BIN)
# The start-up code clears DATA between the names that --section-symbols defines.
link_command=(STARTUP MAIN,RTL,P=C000 CONST DATA=0200,-MS -S "${regions[@]}" --print-memory-usage
              --memory-map=STARTUP.xhtml --link-report=STARTUP.json --section-symbols "${image[@]}")
echo "== orvlink ${link_command[*]}"
# Line-buffered standard output keeps the linker's two streams in the order
# a terminal shows them, also when this script's output goes to a file.
# stdbuf preloads a library, which a sanitizer build of the linker accepts
# only when told so; other builds ignore the variable.
line_buffered=()
if command -v stdbuf >/dev/null 2>&1; then
    line_buffered=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" stdbuf -oL)
fi
status=0
(cd "$out" && ${line_buffered[@]+"${line_buffered[@]}"} "${orvlink[@]}" "${link_command[@]}" 2>&1) || status=$?

if [ -f "$out/STARTUP.MAP" ]; then
    echo "== STARTUP.MAP"
    # The map file is a CR LF text ended by the byte 0x1A.
    tr -d '\r\032' <"$out/STARTUP.MAP"
fi
# The sizes by function from the link report, and one address of the
# program decoded as a crash log would give it.
if [ -f "$out/STARTUP.json" ]; then
    echo "== orvsize STARTUP.json --by=function --budget=FLASH:90%"
    (cd "$out" && "${orvsize[@]}" STARTUP.json --by=function --budget=FLASH:90%) || status=$?
fi
if [ -f "$out/STARTUP.SYM" ]; then
    echo "== orvaddr -e STARTUP.SYM C020"
    (cd "$out" && "${orvaddr[@]}" -e STARTUP.SYM C020) || status=$?
fi
echo "== output files in $out: STARTUP.HEX STARTUP.MAP STARTUP.SYM STARTUP.xhtml STARTUP.json STARTUP.BIN (status $status)"
exit "$status"
