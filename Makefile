# Set-up and everyday commands. Every target configures and builds from
# scratch on a fresh machine.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= 2
PREFIX     ?= /usr/local
# make test builds the plain configuration with one compiler and the
# sanitizer one with another, so that a break only one of them shows is seen.
# A compiler is chosen when a build directory is first configured.
CXX_PLAIN  ?= g++
CXX_ASAN   ?= clang++

CONFIGURE_PLAIN = CXX=$(CXX_PLAIN) cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
CONFIGURE_ASAN  = CXX=$(CXX_ASAN) cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON
PROGRAMS        = --target orvlink orvobj orvlib orvsize orvaddr

.PHONY: all build build-asan demo test install bench fuzz clean windows test-windows package

all: build

build:
	$(CONFIGURE_PLAIN) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

build-asan:
	$(CONFIGURE_ASAN) >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Builds the five programs alone, then the example under examples/blink/,
# and links it in $(DEMO_BUILD)/demo/. The demo's build of its own compiles
# each target as a few large units and without debug information, which
# takes a fraction of the time of the everyday build, at the same speed of
# the linker.
DEMO_BUILD ?= build-demo
demo:
	@echo "make demo: compiling orvlink, orvobj, orvlib, orvsize and orvaddr into $(DEMO_BUILD)/ (the first time only), then linking examples/blink"
	CXX=$(CXX_PLAIN) cmake -S . -B $(DEMO_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON >/dev/null
	cmake --build $(DEMO_BUILD) -j $(JOBS) $(PROGRAMS)
	examples/blink/build_demo.sh $(DEMO_BUILD) $(DEMO_BUILD)/demo

# Our own builds treat compiler warnings as errors (ORV_WERROR stays in the
# build directory's cache).
test:
	$(CONFIGURE_PLAIN) -DORV_WERROR=ON >/dev/null
	cmake --build $(BUILD) -j $(JOBS)
	$(CONFIGURE_ASAN) -DORV_WERROR=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure
	cd $(ASAN_BUILD) && ctest -j $(JOBS) --output-on-failure

# Links the synthetic workload sets with orvlink (and the peer linkers when
# installed) and prints one table; bench/RESULTS.md keeps the last recorded run.
bench: build
	python3 bench/run_bench.py --build $(BUILD)

# The five programs, their man pages and the documentation, under $(PREFIX).
install:
	$(CONFIGURE_PLAIN) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) $(PROGRAMS)
	cmake --install $(BUILD) --prefix $(PREFIX)

# Runs every libFuzzer target under fuzz/ for FUZZ_SECONDS each (clang only);
# a finding ends with a non-zero status and its input in $(FUZZ_BUILD)/fuzz-findings/.
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DORV_FUZZ=ON >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target orvfuzz
	fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Windows: every program cross-compiled with MinGW-w64 (Debian's mingw-w64)
# into $(WINDOWS_BUILD)/, statically linked; test-windows also builds the
# tests and runs them, and the conformance suite, under Wine (Debian's wine64).
# The Windows build carries no debug information (nobody steps through it
# under Wine), is optimised at -O2 and compiles the programs as a few large
# units (the tests stay one file a unit): building it then takes a good deal
# less time, and the programs are as quick.
WINDOWS_BUILD ?= build-windows
CONFIGURE_WINDOWS = cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
                    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_UNITY_BUILD=ON -DORV_WERROR=ON

windows:
	$(CONFIGURE_WINDOWS) >/dev/null
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) $(PROGRAMS) --target orvbench-gen

test-windows:
	$(CONFIGURE_WINDOWS) >/dev/null
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	tools/windows/test_windows.sh $(WINDOWS_BUILD)

# Packages into $(PACKAGES)/: orvlink-VERSION-Linux.tar.gz, the .deb and
# orvlink-VERSION-windows-x86_64.zip (the last needs mingw-w64).
PACKAGES ?= packages
package:
	$(CONFIGURE_PLAIN) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) $(PROGRAMS)
	cd $(BUILD) && cpack -B $(CURDIR)/$(PACKAGES)
	$(CONFIGURE_WINDOWS) >/dev/null
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) $(PROGRAMS)
	cd $(WINDOWS_BUILD) && cpack -B $(CURDIR)/$(PACKAGES)
	rm -rf $(PACKAGES)/_CPack_Packages

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) $(DEMO_BUILD) $(PACKAGES)
