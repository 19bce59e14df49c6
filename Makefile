# Set-up and everyday commands. Both targets configure and build from scratch
# on a fresh machine.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= 2

.PHONY: all build build-asan demo test bench fuzz clean

all: build

build:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

build-asan:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Builds the example under examples/blink/ and links it in $(BUILD)/demo/.
demo: build
	examples/blink/build_demo.sh $(BUILD) $(BUILD)/demo

test: build build-asan
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure
	cd $(ASAN_BUILD) && ctest -j $(JOBS) --output-on-failure

# Links the synthetic workload sets with orvlink (and the peer linkers when
# installed) and prints one table; bench/RESULTS.md keeps the last recorded run.
bench: build
	python3 bench/run_bench.py --build $(BUILD)

# Runs every libFuzzer target under fuzz/ for FUZZ_SECONDS each (clang only);
# a finding ends with a non-zero status and its input in $(FUZZ_BUILD)/fuzz-findings/.
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DORV_FUZZ=ON >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target orvfuzz
	fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
