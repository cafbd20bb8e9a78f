# The commands a newcomer runs. Each one installs what it needs first.
BUILD      ?= build
RUN_BUILD  ?= build-run
ASAN_BUILD ?= build-asan
WINDOWS_BUILD ?= build-windows
JOBS       ?= $(shell nproc)
CMAKE_GEN   = -G Ninja
CTEST       = ctest --output-on-failure -j $(JOBS) --timeout 300

.PHONY: all bootstrap build run test test-main test-asan test-fuzz windows test-windows workbench bench package clean

all: build

# Each command installs only the Debian packages it needs (scripts/bootstrap).
bootstrap:
	@scripts/bootstrap

build:
	@scripts/bootstrap build
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

# The demo needs vornc only: its own build without Qt and the tests, so that
# a first `make run` installs and compiles a fraction of the rest.
run:
	@scripts/bootstrap run
	cmake -S . -B $(RUN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON -DVORN_BUILD_TESTS=OFF \
	  "-DVORN_COMPONENTS=fsuipc;sim;machine;preprocessor;compiler;workbench;cli"
	cmake --build $(RUN_BUILD) -j $(JOBS) --target vornc
	@scripts/demo $(RUN_BUILD)

test: bootstrap test-main test-asan test-fuzz test-windows

test-main: build
	cd $(BUILD) && $(CTEST)

test-asan:
	@scripts/bootstrap test
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON -DVORN_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST)

# Five fuzz targets, clang + libFuzzer with ASan/UBSan, FUZZ_SECONDS (30)
# each: the machine (code images), the compiler (programs, through the
# expander and on into the machine), the simulated server (request
# blocks), the language server and the debug adapter (framed JSON messages). The corpora start from generated images, the examples and test
# programs, and fuzz/seeds; fuzz/regressions holds every input that ever
# broke a target and is run first.
FUZZ_SECONDS ?= 30
FUZZ_FLAGS = -max_total_time=$(FUZZ_SECONDS) -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/
test-fuzz:
	@scripts/bootstrap test
	cmake --preset fuzz
	cmake --build build-fuzz -j $(JOBS) --target fuzz_machine fuzz_machine_seeds fuzz_compiler fuzz_compiler_dictionary fuzz_server fuzz_editor fuzz_dap
	mkdir -p build-fuzz/corpus-machine build-fuzz/corpus-compiler build-fuzz/corpus-server build-fuzz/corpus-editor \
	  build-fuzz/corpus-dap
	build-fuzz/fuzz/fuzz_machine_seeds build-fuzz/corpus-machine
	build-fuzz/fuzz/fuzz_compiler_dictionary build-fuzz/compiler.dict
	cp examples/*.vrn tests/cli/programs/*.vrn fuzz/seeds/compiler/* build-fuzz/corpus-compiler/
	cp fuzz/seeds/server/* build-fuzz/corpus-server/
	cp fuzz/seeds/editor/* build-fuzz/corpus-editor/
	cp fuzz/seeds/dap/* build-fuzz/corpus-dap/
	build-fuzz/fuzz/fuzz_machine $(FUZZ_FLAGS) build-fuzz/corpus-machine
	build-fuzz/fuzz/fuzz_compiler $(FUZZ_FLAGS) -dict=build-fuzz/compiler.dict build-fuzz/corpus-compiler fuzz/regressions/compiler
	build-fuzz/fuzz/fuzz_server $(FUZZ_FLAGS) -dict=fuzz/server.dict build-fuzz/corpus-server fuzz/regressions/server
	build-fuzz/fuzz/fuzz_editor $(FUZZ_FLAGS) build-fuzz/corpus-editor
	build-fuzz/fuzz/fuzz_dap $(FUZZ_FLAGS) build-fuzz/corpus-dap

# vorn.exe, vornc.exe and vorn-sim.exe for 64-bit Windows (mingw-w64, system DLLs only),
# and their tests under Wine.
windows:
	@scripts/bootstrap windows
	cmake -S . -B $(WINDOWS_BUILD) $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

test-windows: windows
	JOBS=$(JOBS) scripts/wine-test $(WINDOWS_BUILD)

# What a user downloads: vorn_<version>_amd64.deb from the Linux build and
# vorn-<version>-win64.zip from the mingw build, both in $(PACKAGES).
PACKAGES ?= packages
package: build windows
	@scripts/bootstrap package
	mkdir -p $(PACKAGES)
	cpack --config $(BUILD)/CPackConfig.cmake -B $(abspath $(PACKAGES))
	cpack --config $(WINDOWS_BUILD)/CPackConfig.cmake -B $(abspath $(PACKAGES))
	cd editors/vscode && npx --no-install vsce package --allow-missing-repository --skip-license -o $(abspath $(PACKAGES))/
	rm -rf $(PACKAGES)/_CPack_Packages
	@ls -l $(PACKAGES)

workbench: build
	@scripts/workbench $(BUILD) $(EXAMPLE)

bench:
	@scripts/bootstrap bench
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVORN_BUILD_BENCH=ON -DVORN_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	cmake -S . -B $(WINDOWS_BUILD) $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target win32_exchange_timing vorn-sim
	@WINDOWS_BUILD=$(WINDOWS_BUILD) scripts/bench build-bench

clean:
	rm -rf $(BUILD) $(RUN_BUILD) $(ASAN_BUILD) build-bench build-fuzz $(WINDOWS_BUILD) $(PACKAGES)
