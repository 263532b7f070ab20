# `make` builds, `make test` runs every test, `make demo` runs the demo, `make dist` makes the
# release. Each installs what it needs first. BUILD names the build folder (default: build).
BUILD  ?= build
JOBS   ?= $(shell nproc)
WERROR ?= $(if $(CI),ON,OFF)

WIN     := $(BUILD)/win
# 32-bit Windows: the control, the service and the tools for 32-bit hosts, and the tests whose
# behaviour can differ with the width.
WIN32   := $(BUILD)/win32
NATIVE  := $(BUILD)/native
# Native and optimised, without the sanitizers: the command's file reading, which bin/corvane
# runs, the benchmarks' log generator and the data bytes' benchmark.
RELEASE := $(BUILD)/release
# Native with clang: the fuzzers under libFuzzer, for make fuzz.
FUZZ    := $(BUILD)/fuzz

.PHONY: all deps build test demo dist fuzz bench screenshots clean

all: build

deps:
	@scripts/install-deps.sh

$(WIN)/CMakeCache.txt: | deps
	@cmake -S . -B $(WIN) -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WERROR=$(WERROR) >/dev/null

$(WIN32)/CMakeCache.txt: | deps
	@cmake -S . -B $(WIN32) -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_WERROR=$(WERROR) >/dev/null

$(NATIVE)/CMakeCache.txt: | deps
	@CC=gcc CXX=g++ cmake -S . -B $(NATIVE) -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Debug \
	  -DCORVANE_WERROR=$(WERROR) >/dev/null

$(RELEASE)/CMakeCache.txt: | deps
	@CC=gcc CXX=g++ cmake -S . -B $(RELEASE) -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCORVANE_SANITIZE=OFF -DCORVANE_WERROR=$(WERROR) >/dev/null

$(FUZZ)/CMakeCache.txt: | deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -G "Unix Makefiles" -DCORVANE_FUZZ=ON \
	  -DCORVANE_WERROR=$(WERROR) >/dev/null

# Quiet: only what the compilers say reaches the terminal.
QUIET := { grep -v -E '^\[ *[0-9]+%\] Built target' || true; }

build: deps $(WIN)/CMakeCache.txt $(WIN32)/CMakeCache.txt $(NATIVE)/CMakeCache.txt $(RELEASE)/CMakeCache.txt
	@bash -o pipefail -c "cmake --build $(NATIVE) -j $(JOBS) -- --no-print-directory -s | $(QUIET)"
	@bash -o pipefail -c "cmake --build $(RELEASE) -j $(JOBS) --target corvane make_big_log data_bytes_bench -- --no-print-directory -s | $(QUIET)"
	@bash -o pipefail -c "cmake --build $(WIN) -j $(JOBS) -- --no-print-directory -s | $(QUIET)"
	@bash -o pipefail -c "cmake --build $(WIN32) -j $(JOBS) -- --no-print-directory -s | $(QUIET)"

test: build
	@BUILD=$(BUILD) scripts/run-tests.sh

demo: build
	@BUILD=$(BUILD) scripts/demo.sh

# The release under $(BUILD)/dist: the zip archive and the installer package, named after VERSION
# or RELEASE_VERSION; signed when CORVANE_SIGN_PFX names a PKCS#12 file (see the README).
dist: build
	@BUILD=$(BUILD) scripts/dist.sh $(if $(RELEASE_VERSION),--version $(RELEASE_VERSION))

# Every fuzzer in turn, FUZZ_SECONDS apiece (default 60), built in a tree of its own.
fuzz: deps $(FUZZ)/CMakeCache.txt
	@bash -o pipefail -c "cmake --build $(FUZZ) -j $(JOBS) -- --no-print-directory -s | $(QUIET)"
	@BUILD=$(BUILD) scripts/fuzz.sh $(FUZZ_SECONDS)

# Pictures of every property page, in our frame and in the system's, under build/screenshots/.
screenshots: build
	@BUILD=$(BUILD) scripts/screenshots.sh

bench: build
	@BUILD=$(BUILD) scripts/bench.sh

clean:
	@[ ! -d $(BUILD)/wineprefix ] || WINEPREFIX=$(abspath $(BUILD))/wineprefix wineserver -k 2>/dev/null || true
	@[ ! -d $(BUILD)/wineprefix-gui ] || WINEPREFIX=$(abspath $(BUILD))/wineprefix-gui wineserver -k 2>/dev/null || true
	rm -rf $(BUILD)
