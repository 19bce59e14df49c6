#!/usr/bin/env bash
# Runs the Windows build's tests under Wine:
#   test_windows.sh WINDOWS_BUILD_DIR
# first the unit and end-to-end tests (orvtests.exe), then the conformance
# suite against orvlink.exe when it stands beside the repository. Wine keeps
# its state in a prefix of the build directory, so nothing outside it changes;
# the tests' scratch files go to a directory of the build directory, which
# the Windows programs reach through drive Z: and the build host's programs
# (objcopy, python3, jq, sh), which the tests start too, by its Unix path.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 WINDOWS_BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
# Debian's wine64 package puts its launcher in /usr/lib/wine/; the wine
# package, which it recommends, adds the usual wine command in the PATH.
wine=${WINE:-}
if [ -z "$wine" ]; then
    for candidate in wine wine64 /usr/lib/wine/wine64; do
        if command -v "$candidate" >/dev/null 2>&1; then
            wine=$candidate
            break
        fi
    done
fi
if [ -z "$wine" ]; then
    echo "$0: no wine command: install Debian's wine64 package" >&2
    exit 2
fi
export WINE="$wine"

export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
# No window, no prompt to install Mono or Gecko: none of the programs needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
scratch="$build/wine-scratch"
rm -rf "$scratch"
mkdir -p "$scratch"
# Wine sets TMP and TEMP to a folder of its prefix whatever they were; the
# tests take this Unix path by its name on drive Z:, which is the host's root.
export ORV_TEST_SCRATCH="$scratch"
if [ ! -d "$WINEPREFIX" ]; then
    echo "== wine: a fresh prefix in $WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1 || true
fi

# Every test runs; the few that need what Windows lacks skip themselves and
# say why.
echo "== orvtests.exe under $wine"
"$wine" "$build/tests/orvtests.exe" --gtest_brief=1

# The demo linked by orvlink.exe gives the same bytes as the Linux build's
# link: every output file and the console text. The objects and the library
# come from the Linux build (make test builds it first).
linux_build=${LINUX_BUILD:-$source_dir/build}
if [ -x "$linux_build/orvlink" ]; then
    echo "== the demo linked by orvlink.exe under $wine and by $linux_build/orvlink"
    demo="$build/wine-demo"
    rm -rf "$demo"
    export SOURCE_DATE_EPOCH=0
    "$source_dir/examples/blink/build_demo.sh" "$linux_build" "$demo/linux" >/dev/null
    cp -r "$demo/linux" "$demo/windows"
    rm -f "$demo"/{linux,windows}/STARTUP.{HEX,MAP,SYM,xhtml,BIN,json}
    link=(STARTUP MAIN,RTL,P=C000 CONST DATA=0200,-MS -S --region=ZP:RAM:0000-00DF --region=SRAM:RAM:0200-03FF
          --region=FLASH:ROM:C000-FEFF --region=SPECIAL:ROM:FF00-FFFF --print-memory-usage
          --memory-map=STARTUP.xhtml --section-symbols --checksum=crc16-ibm-3740@C000-FEFD:FEFE --binary=STARTUP.BIN)
    (cd "$demo/linux" && "$linux_build/orvlink" "${link[@]}" >console.txt 2>&1)
    (cd "$demo/windows" && "$wine" "$build/orvlink.exe" "${link[@]}" >console.txt 2>&1)
    for file in STARTUP.HEX STARTUP.MAP STARTUP.SYM STARTUP.xhtml STARTUP.BIN console.txt; do
        cmp "$demo/linux/$file" "$demo/windows/$file"
    done
    echo "   STARTUP.HEX, .MAP, .SYM, .xhtml, .BIN and the console text: byte-identical"
    unset SOURCE_DATE_EPOCH
fi

conformance="$source_dir/../shared/conformance/run.py"
if [ -f "$conformance" ]; then
    echo "== conformance suite against orvlink.exe under $wine"
    python3 "$conformance" --linker "$build/orvlink.exe" --launcher "$wine"
fi
rm -rf "$scratch"
