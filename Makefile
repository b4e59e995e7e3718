# Tessarine: build, test and demo on a Debian machine (cross-compiled with
# mingw-w64, run under Wine). On Windows, use CMake directly (see README.md).

PRESETS := win64 win32
JOBS ?= 2

.PHONY: all build deps test demo dist bench clean format

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@for p in $(PRESETS); do \
	  cmake --preset $$p >/dev/null && cmake --build --preset $$p -j $(JOBS) || exit 1; \
	done

# Runs every test of both presets; the output ends with ctest's summary.
test: build
	@status=0; for p in $(PRESETS); do \
	  echo "== tests: $$p"; \
	  ctest --preset $$p || status=1; \
	done; exit $$status

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
