# The two set-up commands: `make test` and `make demo`. Both install what is missing.
BUILD ?= build
JOBS ?= 2
# The cores' host builds: the tests under the sanitizers, and the fuzz targets.
CORE_BUILD ?= build-core
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
CCACHE := $(shell command -v ccache)

.PHONY: deps core-deps build test test-core test-wine10 fuzz demo cd-menu cd-image clean

deps:
	@bash setup/install.sh

core-deps:
	@bash setup/install.sh core

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

# The cores' tests first, so a broken rule fails in seconds, then everything under Wine.
test: test-core
	@$(MAKE) --no-print-directory build
	cmake/wine-session ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same suite and demo under Debian 13's Wine 10, on a prefix of its own.
test-wine10: build
	WINE10_PREFIX=$(abspath $(BUILD))/wine10 tools/wine10/wine10-session \
	  ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	WINE10_PREFIX=$(abspath $(BUILD))/wine10 tools/wine10/wine10-session \
	  bash demo/run-demo.sh $(BUILD)

# The cores and their tests built with the host's compiler, run under AddressSanitizer
# and UndefinedBehaviorSanitizer; no Wine.
test-core: core-deps
	cmake -S core -B $(CORE_BUILD) $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)) >/dev/null
	cmake --build $(CORE_BUILD) -j $(JOBS)
	ctest --test-dir $(CORE_BUILD) --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS from its seed corpus (fuzz/corpus), with its
# executions and findings printed.
fuzz: core-deps
	cmake -S core -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCORE_FUZZERS=ON $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)) >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

demo: build
	cmake/wine-session bash demo/run-demo.sh $(BUILD)

# Opens the CD menu on the sample CD (build/cd): in a window on your display, or,
# without one, as a screenshot whose path is printed. ABOUT=1 opens its About box too.
ABOUT ?=
cd-menu: build
	tools/cd-menu/cd-menu $(if $(ABOUT),--about) $(BUILD)

# Writes the sample CD as an ISO 9660 image (Joliet names) and prints its path.
cd-image: build
	tools/cd-menu/cd-image $(BUILD)

clean:
	rm -rf $(BUILD) $(CORE_BUILD) $(FUZZ_BUILD)
