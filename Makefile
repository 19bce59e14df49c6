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

.PHONY: all build build-asan demo test install bench fuzz clean

all: build

build:
	$(CONFIGURE_PLAIN) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

build-asan:
	$(CONFIGURE_ASAN) >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Builds the five programs alone, then the example under examples/blink/,
# and links it in $(BUILD)/demo/.
demo:
	$(CONFIGURE_PLAIN) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) $(PROGRAMS)
	examples/blink/build_demo.sh $(BUILD) $(BUILD)/demo

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

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
