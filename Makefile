# Convenience targets over the CMake presets. Each installs missing Debian
# packages first, then configures and builds incrementally.

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: all deps build run test test-default test-asan fuzz clean

all: build

deps:
	@./scripts/install-deps.sh

build/default/CMakeCache.txt:
	cmake --preset default

build: deps build/default/CMakeCache.txt
	cmake --build --preset default -j $(JOBS)

# Opens the window on the bundled example catalogue.
run: build
	cd examples && ../build/default/app/PQL

test-default: build
	ctest --preset default -j $(JOBS)

build/asan/CMakeCache.txt:
	cmake --preset asan

test-asan: deps build/asan/CMakeCache.txt
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# Every test: the normal build, then the sanitizer build.
test: test-default test-asan

clean:
	rm -rf build
