# The commands a newcomer runs. Each one installs what it needs first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN   = -G Ninja
CTEST       = ctest --output-on-failure -j $(JOBS) --timeout 300

.PHONY: all bootstrap build run test test-main test-asan workbench bench clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/demo $(BUILD)

test: bootstrap test-main test-asan

test-main: build
	cd $(BUILD) && $(CTEST)

test-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON -DVORN_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST)

workbench: build
	@scripts/workbench $(BUILD)

bench: bootstrap
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVORN_BUILD_BENCH=ON -DVORN_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	@scripts/bench build-bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench build-fuzz build-windows
