# Tessarine: build, test and demo on a Debian machine (cross-compiled with
# mingw-w64, run under Wine). On Windows, use CMake directly (see README.md).
# Each phase prints one line; the full output goes to build/logs/.

PRESETS := win64 win32
JOBS ?= 2
PHASE := bash scripts/phase.sh

.PHONY: all build deps test soak demo dist bench clean format

all: build

deps:
	@$(PHASE) "installing what is missing" deps bash scripts/install-deps.sh

build: deps
	@for p in $(PRESETS); do \
	  $(PHASE) "building $$p" build-$$p sh -c "cmake --preset $$p && cmake --build --preset $$p -j $(JOBS)" \
	    || exit 1; \
	done

# Runs every test of both presets; each ends with ctest's summary. A kernel
# without 32-bit support cannot run the win32 build under Wine: that preset
# is then built only, and the reason printed.
test: build
	@status=0; for p in $(PRESETS); do \
	  if [ $$p = win32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then \
	    echo "testing win32 ... NOT RUN: this machine's kernel cannot run 32-bit programs, so Wine's 32-bit loader cannot start"; \
	    continue; \
	  fi; \
	  $(PHASE) "testing $$p" test-$$p --show 'tests passed|\(Failed\)|\(Not Run\)|\(Timeout\)|passed, [0-9]+ failed|^FAIL|^setup failed' \
	    ctest --preset $$p || status=1; \
	done; exit $$status

# More sticks of the net than make test runs, on the 64-bit build: SEEDS=N
# (seeds 1 to N, 30 by default) or SEED=K alone, on every file system (or
# FS="ntfs exfat"). Ends with the count of sticks that passed and the
# failing ones.
soak: build
	@bin=$(CURDIR)/build/win64; bash scripts/wine/setup.sh $$bin >/dev/null || exit 1; \
	TESS_NET_SEEDS="$${SEED:-$$(seq -s ' ' 1 $${SEEDS:-30})}" TESS_NET_FS="$${FS:-}" TESS_SCENARIO="^the net's stick" \
	  bash tests/e2e/scenarios_test.sh $$bin $(CURDIR) >build/logs/soak.log 2>&1; status=$$?; \
	bash scripts/wine/cleanup.sh $$bin; grep -E '^(# |FAIL|failing|sticks:)' build/logs/soak.log; \
	echo "full output: build/logs/soak.log"; exit $$status

demo: build
	@bash scripts/demo.sh

dist: build
	@bash scripts/dist.sh

bench: build
	@bash bench/run.sh

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build dist
