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

# Builds and starts Vellicor (offscreen when there is no display; ARGS is its command line).
# Under CI (CI set) it is ended after RUN_SECONDS seconds by SIGTERM, its end command.
RUN_SECONDS ?= 5
run: build
	@if [ -n "$$CI" ]; then \
	  timeout --preserve-status -s TERM $(RUN_SECONDS) ./build/bin/Vellicor $(ARGS); \
	else \
	  ./build/bin/Vellicor $(ARGS); \
	fi

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
