# The commands a newcomer runs. Each one installs what it needs first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
WINDOWS_BUILD ?= build-windows
JOBS       ?= $(shell nproc)
CMAKE_GEN   = -G Ninja
CTEST       = ctest --output-on-failure -j $(JOBS) --timeout 300

.PHONY: all bootstrap build run test test-main test-asan test-fuzz windows test-windows workbench bench clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/demo $(BUILD)

test: bootstrap test-main test-asan test-fuzz test-windows

test-main: build
	cd $(BUILD) && $(CTEST)

test-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON -DVORN_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST)

# The machine's fuzz target: clang + libFuzzer with ASan/UBSan, about 60 s
# from a few generated seed images.
FUZZ_SECONDS ?= 60
test-fuzz: bootstrap
	cmake --preset fuzz
	cmake --build build-fuzz -j $(JOBS) --target fuzz_machine fuzz_machine_seeds
	mkdir -p build-fuzz/corpus-machine
	build-fuzz/fuzz/fuzz_machine_seeds build-fuzz/corpus-machine
	build-fuzz/fuzz/fuzz_machine -max_total_time=$(FUZZ_SECONDS) -timeout=30 -rss_limit_mb=4096 \
	  -print_final_stats=1 -artifact_prefix=build-fuzz/ build-fuzz/corpus-machine

# vorn.exe, vornc.exe and vorn-sim.exe for 64-bit Windows (mingw-w64, system DLLs only),
# and their tests under Wine.
windows: bootstrap
	cmake -S . -B $(WINDOWS_BUILD) $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

test-windows: windows
	JOBS=$(JOBS) scripts/wine-test $(WINDOWS_BUILD)

workbench: build
	@scripts/workbench $(BUILD) $(EXAMPLE)

bench: bootstrap
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVORN_BUILD_BENCH=ON -DVORN_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	cmake -S . -B $(WINDOWS_BUILD) $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target win32_exchange_timing vorn-sim
	@WINDOWS_BUILD=$(WINDOWS_BUILD) scripts/bench build-bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench build-fuzz $(WINDOWS_BUILD)
