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

test: build
	@cd build/release && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf build
