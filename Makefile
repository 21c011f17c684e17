# Entry points: `make run`, `make test`, `make bench`, `make test-asan`, `make format-check`.
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench test-asan format-check

deps:
	@./tools/ensure-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build build -j $(JOBS)

# Until the main window exists the main job is the store benchmark.
run: build
	@./build/bin/vellicor_bench

test: build
	@cd build && ctest --output-on-failure -j $(JOBS)

bench: build
	@./build/bin/vellicor_bench

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

format-check:
	@files=$$(git ls-files '*.cpp' '*.h'); \
	clang-format --dry-run --Werror $$files
