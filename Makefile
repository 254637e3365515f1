# The two set-up commands: `make test` and `make demo`. Both install what is missing.
BUILD ?= build
JOBS ?= 2

.PHONY: deps build test test-wine10 demo cd-menu cd-image clean

deps:
	@bash setup/install.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cmake/wine-session ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same suite and demo under Debian 13's Wine 10, on a prefix of its own.
test-wine10: build
	WINE10_PREFIX=$(abspath $(BUILD))/wine10 tools/wine10/wine10-session \
	  ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	WINE10_PREFIX=$(abspath $(BUILD))/wine10 tools/wine10/wine10-session \
	  bash demo/run-demo.sh $(BUILD)

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
	rm -rf $(BUILD)
