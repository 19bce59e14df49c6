#!/usr/bin/env bash
# Runs the Windows build's tests under Wine:
#   test_windows.sh WINDOWS_BUILD_DIR
# first the unit and end-to-end tests (orvtests.exe), then the conformance
# suite against orvlink.exe when it stands beside the repository. Wine keeps
# its state in a prefix of the build directory, so nothing outside it changes;
# the tests' scratch files go to a directory of the build host, which the
# tests' own helpers can hand to host programs such as objcopy.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 WINDOWS_BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
wine=${WINE:-wine}

export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
# No window, no prompt to install Mono or Gecko: none of the programs needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
scratch="$build/wine-scratch"
rm -rf "$scratch"
mkdir -p "$scratch"
# Wine's drive Z: is the host's root, so Z: and the host path name one directory.
export TMP="Z:${scratch//\//\\}" TEMP="Z:${scratch//\//\\}"
if [ ! -d "$WINEPREFIX" ]; then
    echo "== wine: a fresh prefix in $WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1 || true
fi

echo "== orvtests.exe under $wine"
"$wine" "$build/tests/orvtests.exe" --gtest_brief=1

conformance="$source_dir/../shared/conformance/run.py"
if [ -f "$conformance" ]; then
    echo "== conformance suite against orvlink.exe under $wine"
    python3 "$conformance" --linker "$build/orvlink.exe" --launcher "$wine"
fi
rm -rf "$scratch"
