# Thin wrapper over the CMake presets; the two README commands start here.
JOBS ?= $(shell nproc)

.PHONY: all deps build debug run test bench clean fuzz fuzz-build fuzz-corpus install uninstall soak soak-build

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

# The GUI tests need a display: without one, each run goes under a private Xvfb. The whole
# suite runs twice: in the release build, then in the checking build (sanitizers, and the
# document's invariants checked after every step), so a fault that only the checks see fails
# the run too.
CTEST_WITH_DISPLAY = if [ -z "$$DISPLAY" ]; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS); \
	else \
	  ctest --output-on-failure -j $(JOBS); \
	fi

test: build
	@cd build/release && $(CTEST_WITH_DISPLAY)
	@$(MAKE) --no-print-directory debug
	@echo "the checking build's tests (build/debug)"
	@cd build/debug && $(CTEST_WITH_DISPLAY)
	@$(MAKE) --no-print-directory soak SOAK_SECONDS=$(SOAK_SMOKE_SECONDS)
	@if command -v clang++ >/dev/null 2>&1; then \
	  $(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS); \
	else \
	  echo "fuzz: clang++ not found, smoke runs skipped"; \
	fi

# Fuzzing of the readers of files from elsewhere (native documents, BMP pictures) and of the
# settings file: a clang build of its own with libFuzzer, ASan and UBSan. Each target runs
# FUZZ_SECONDS in one process, starting from its seeds and the corpus kept in fuzz/corpus; new
# inputs go to build/fuzz/corpus, crashes to build/fuzz/artifacts. `make fuzz-corpus` merges
# what the runs found into fuzz/corpus, minimised.
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 20
FUZZ_DIR := build/fuzz
FUZZ_TARGETS := document bitmap settings
BMPSUITE ?= $(firstword $(wildcard $(ZARNI_TESTDATA_DIR)/bmpsuite ../shared/testdata/bmpsuite /work/shared/testdata/bmpsuite))

fuzz-build: deps
	@CXX=clang++ cmake -S fuzz -B $(FUZZ_DIR) -G Ninja >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)

fuzz: fuzz-build
	@mkdir -p $(FUZZ_DIR)/artifacts $(addprefix $(FUZZ_DIR)/corpus/,$(FUZZ_TARGETS))
	@bmpseeds=""; for d in g q b x; do \
	  [ -d $(BMPSUITE)/$$d ] && bmpseeds="$$bmpseeds $(BMPSUITE)/$$d"; \
	done; \
	set -e; \
	for t in $(FUZZ_TARGETS); do \
	  seeds=fuzz/seeds/$$t; [ $$t = bitmap ] && seeds="$$bmpseeds"; \
	  [ -d fuzz/corpus/$$t ] && seeds="$$seeds fuzz/corpus/$$t"; \
	  echo "fuzz_$$t: $(FUZZ_SECONDS) s"; \
	  $(FUZZ_DIR)/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -dict=fuzz/$$t.dict -artifact_prefix=$(FUZZ_DIR)/artifacts/$$t- \
	    $(FUZZ_DIR)/corpus/$$t $$seeds 2>$(FUZZ_DIR)/fuzz_$$t.log \
	    || { tail -n 60 $(FUZZ_DIR)/fuzz_$$t.log; exit 1; }; \
	  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' $(FUZZ_DIR)/fuzz_$$t.log; \
	done

fuzz-corpus: fuzz-build
	@set -e; for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_DIR)/merged-$$t; mkdir -p $(FUZZ_DIR)/merged-$$t fuzz/corpus/$$t $(FUZZ_DIR)/corpus/$$t; \
	  $(FUZZ_DIR)/fuzz_$$t -merge=1 $(FUZZ_DIR)/merged-$$t fuzz/corpus/$$t $(FUZZ_DIR)/corpus/$$t \
	    2>$(FUZZ_DIR)/merge_$$t.log || { tail -n 30 $(FUZZ_DIR)/merge_$$t.log; exit 1; }; \
	  rm -rf fuzz/corpus/$$t; mv $(FUZZ_DIR)/merged-$$t fuzz/corpus/$$t; \
	  echo "fuzz/corpus/$$t: $$(ls fuzz/corpus/$$t | wc -l) files, $$(du -sb --apparent-size fuzz/corpus/$$t | cut -f1) bytes"; \
	done

# Installation under PREFIX, staged under DESTDIR when one is given (packaging). The files
# written are listed in build/release/install_manifest.txt; uninstall removes exactly those,
# under the same DESTDIR. A direct install also refreshes the desktop's MIME, launcher and icon
# caches of the prefix.
PREFIX ?= /usr/local

install: build
	@DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ]; then scripts/desktop-caches.sh "$(PREFIX)"; fi

uninstall:
	@DESTDIR="$(DESTDIR)" scripts/uninstall.sh build/release/install_manifest.txt
	@if [ -z "$(DESTDIR)" ]; then scripts/desktop-caches.sh "$(PREFIX)"; fi

# The soak: the real program in the sanitizer build (only what it needs is built), under a
# private Xvfb, driven with random pointer, wheel and key input for SOAK_SECONDS; the document's
# invariants are checked after every step. SOAK_SEED replays a run (the seed is printed first).
# The whole output goes to build/debug/soak.log; a failure shows its end.
SOAK_SECONDS ?= 600
SOAK_SMOKE_SECONDS ?= 60
SOAK_SEED ?=

soak-build: deps
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug -j $(JOBS) --target soak

soak: soak-build
	@echo "soak: $(SOAK_SECONDS) s, output in build/debug/soak.log"
	@SOAK_SECONDS=$(SOAK_SECONDS) SOAK_SEED=$(SOAK_SEED) \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  xvfb-run -a -s "-screen 0 1280x1024x24" build/debug/tests/soak/soak \
	  >build/debug/soak.log 2>&1 \
	  || { grep -av -e '^$$' -e 'Gtk-' build/debug/soak.log | tail -n 80; exit 1; }
	@grep -a '^soak: ' build/debug/soak.log

bench: build
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf build
