# Thin wrapper over the CMake presets; the two README commands start here.
JOBS ?= $(shell nproc)

.PHONY: all deps build debug run test bench clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)

debug: deps
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug -j $(JOBS)

run: build
	@scripts/run-sample.sh build/release

# The GUI tests need a display: without one, the whole run goes under a private Xvfb.
test: build
	@if [ -z "$$DISPLAY" ]; then \
	  cd build/release && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS); \
	else \
	  cd build/release && ctest --output-on-failure -j $(JOBS); \
	fi

bench: build
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf build
