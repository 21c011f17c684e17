# Entry points: `make run`, `make test`, `make bench`, `make test-asan`, `make format-check`.
JOBS ?= $(shell nproc)
# Sub-makes (the build under cmake) print no "Entering directory" lines.
MAKEFLAGS += --no-print-directory

.PHONY: deps configure build run test bench test-asan format-check

deps:
	@./tools/ensure-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build build -j $(JOBS)

# Builds and starts Vellicor with ARGS as its command line: by default the demonstration set's
# autorun file, which rebuilds, loads and times the generated stocks of build/bin/Demo-EOD/
# (ARGS= starts it for manual use, which needs a display). With a display the program stays
# open; without one, or under CI, it ends by itself with its run and the market timing report's
# path and headline are printed (tools/run-vellicor.sh).
ARGS ?= Demo.autorun
run: build
	@./tools/run-vellicor.sh $(ARGS)

test: build
	@cd build && ctest --output-on-failure --progress -j $(JOBS)

bench: build
	@./build/bin/vellicor_bench

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure --progress -j $(JOBS)

format-check: deps
	@files=$$(git ls-files '*.cpp' '*.h'); \
	clang-format --dry-run --Werror $$files
