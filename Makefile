# make run: install what is missing, build, start the program.
# make test: install what is missing, build, run every test (also the core under sanitizers).
# make fuzz: build the file readers' fuzz targets with clang and run each FUZZ_SECONDS.
BUILD ?= build
BUILD_SAN ?= build-san
JOBS ?= $(shell nproc)

FUZZ_SECONDS ?= 60

# Where ccache is installed, checkouts side by side share compiled objects.
CCACHE := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR ?= $(abspath $(CURDIR)/..)
export CCACHE_NOHASHDIR ?= 1
# The tests' precompiled headers are cached too.
export CCACHE_SLOPPINESS ?= pch_defines,time_macros,include_file_mtime,include_file_ctime

.PHONY: run test deps build build-san bench fuzz clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CCACHE)
	cmake --build $(BUILD) -j $(JOBS)

build-san: deps
	cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNOSTREL_SANITIZE=ON -DNOSTREL_BUILD_UI=OFF -DNOSTREL_BUILD_BENCH=OFF $(CCACHE)
	cmake --build $(BUILD_SAN) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "There is no display to show the program on. Start it under a virtual display with: xvfb-run make run"; \
	  exit 1; \
	fi
	$(BUILD)/nostrel-voda

test: build build-san
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target benches
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b; done

fuzz:
	JOBS=$(JOBS) fuzz/run.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) build-fuzz
