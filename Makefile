# Entry points. Each one installs what it needs first (apt-get, as root).
BUILD ?= build
GENERATOR ?= Ninja
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Lean sanitizer build: -O1 with line tables (set in CMakeLists.txt), no benchmarks,
# and only what the suite runs.
SANITIZE_FLAGS ?= -DCMAKE_BUILD_TYPE=Debug -DVR60_SANITIZE=ON -DVR60_BENCH=OFF
FUZZ_SECONDS ?= 60

.PHONY: all deps build run screenshots test bench fuzz sanitize soak soak-sanitize wincheck wintest package package-check clean

all: build

deps:
	./scripts/install-deps.sh

$(BUILD)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD) -G $(GENERATOR) $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	./scripts/run-window.sh $(BUILD)

screenshots: build
	./scripts/screenshots.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 300 -j2

bench: deps
	cmake -S . -B build-bench -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench --target vr60bench vr60ctl vr60sim
	./build-bench/bench/vr60bench --benchmark_counters_tabular=true

sanitize: deps
	cmake -S . -B build-asan -G $(GENERATOR) $(SANITIZE_FLAGS)
	cmake --build build-asan --target vr60tests
	cd build-asan && ctest --output-on-failure --timeout 600 -j2 -E FaultMatrixE2E

fuzz: deps
	CXX=clang++ cmake -S . -B build-fuzz -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DVR60_FUZZ=ON -DVR60_BENCH=OFF
	cmake --build build-fuzz --target fuzzers
	./scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

soak: build
	cmake --build $(BUILD) --target vr60soak
	./$(BUILD)/tests/vr60soak

soak-sanitize: deps
	cmake -S . -B build-asan -G $(GENERATOR) $(SANITIZE_FLAGS)
	cmake --build build-asan --target vr60soak
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ./build-asan/tests/vr60soak

wincheck: build
	./scripts/windows-check.sh $(BUILD)

# vr60ctl.exe (MinGW-w64, no Qt) in build-win/, run under Wine against vr60sim beside the Linux vr60ctl.
wintest: build
	./scripts/windows-test.sh $(BUILD) build-win

# vr60-utility_<version>_<arch>.deb in this folder (CPack), and its checks.
package: build
	cmake --build $(BUILD) --target package

package-check: build
	./scripts/check-package.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-bench build-asan build-fuzz build-win
