# Convenience targets over the CMake presets. Each installs the Debian
# packages it needs that are missing (building and running need few; the
# tests, the fuzzer, the packages and the Windows build more), then
# configures and builds incrementally.

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: all deps deps-test deps-fuzz deps-package deps-package-test deps-windows deps-windows-test \
	deps-debian build run bench \
	package package-check windows-configure package-windows test test-default test-asan \
	test-windows release check-reproducible test-debian13 fuzz-build fuzz clean

all: build

deps:
	@./scripts/install-deps.sh run

deps-test deps-fuzz deps-package deps-package-test deps-windows deps-windows-test deps-debian: deps-%:
	@./scripts/install-deps.sh $*

build/default/CMakeCache.txt:
	cmake --preset default

build: deps build/default/CMakeCache.txt
	cmake --build --preset default -j $(JOBS)

# Opens the window on the bundled example catalogue.
run: build
	cd examples && ../build/default/app/PQL

# Prints the benchmark table (not part of the tests).
bench: build
	./build/default/bench/pql_bench

test-default: deps-test build
	ctest --preset default -j $(JOBS)

build/asan/CMakeCache.txt:
	cmake --preset asan

test-asan: deps deps-test build/asan/CMakeCache.txt
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

build/fuzz/CMakeCache.txt:
	cmake --preset fuzz

fuzz-build: deps deps-fuzz build/fuzz/CMakeCache.txt
	cmake --build --preset fuzz -j $(JOBS)

# Fuzzes the catalogue reader for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=900).
# New inputs collect in build/fuzz/corpus; crashes are written to build/fuzz/.
fuzz: fuzz-build
	mkdir -p build/fuzz/corpus
	cd build/fuzz && ./tests/fuzz_catalogue -max_total_time=$(FUZZ_SECONDS) \
		-max_len=65536 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
		corpus ../../tests/fuzz/seeds

# The release written in CMakeLists.txt, as the configured build records it.
version = $(shell sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/default/CMakeCache.txt)

# The Debian package, build/default/pathquill_<version>+deb<release>_<arch>.deb;
# builds only what goes into it. CMake 3.25's cpack gives the members of the
# package the modes its own files got, so it runs with the umask that
# dpkg-buildpackage sets too.
package: deps deps-package build/default/CMakeCache.txt
	cmake --build --preset default -j $(JOBS) --target package_contents
	cd build/default && umask 022 && cpack

package-check: deps-package-test package
	xvfb-run -a tests/package.sh build/default/pathquill_$(version)+*_*.deb $(version)

# Windows: PQL.exe, pql-catalogue.exe and pql-open.exe cross-built with
# MinGW-w64 against a static Qt built from Debian's own source (once per
# machine, some minutes: see scripts/build-windows-qt.sh), each one file that
# runs alone. The target windows_packages (packaging/windows.cmake) then
# writes, in build/windows: pathquill-<version>-win64.zip (also unpacked in
# unpacked/ for the tests), the per-user installer
# pathquill-<version>-win64.msi made from it with wixl, and
# pathquill-<version>-win64-qt-source.tar, the Qt source they were built from.
windows-configure: deps deps-windows
	PQL_WINDOWS_QT=$$(scripts/build-windows-qt.sh) && export PQL_WINDOWS_QT && \
		cmake --preset windows

package-windows: windows-configure
	cmake --build --preset windows -j $(JOBS) --target windows_packages

# The Windows build's tests, under Wine. They spend most of their time
# waiting on Wine and the X server, so twice as many run as there are cores.
test-windows: deps-windows-test windows-configure
	cmake --build --preset windows -j $(JOBS)
	ctest --preset windows -j $$(($(JOBS) * 2))

# A release in build/release/<version>/: the Debian package of this Debian
# release, the Windows zip, installer and Qt source, the source tarball,
# SHA256SUMS and a .buildinfo (scripts/release.sh). The same commit gives
# the same bytes. RELEASE_PARTS=deb leaves Windows out.
# The release is the changelog's latest entry, made only of its commit (see
# the script); RELEASE_OPTIONS passes options to it.
RELEASE_PARTS ?= deb windows
release: deps deps-package $(if $(filter deb,$(RELEASE_PARTS)),package) \
		$(if $(filter windows,$(RELEASE_PARTS)),package-windows)
	./scripts/release.sh $(RELEASE_OPTIONS) $(RELEASE_PARTS)

# Builds the release of HEAD, whatever commit it is, twice and compares the
# two byte for byte: in two clean clones, the second at another path, later,
# with another umask, time zone, locale, number of jobs, host name and user
# (see the script). REPRODUCE_HERE=1 takes the first from this checkout's
# own builds instead (it must hold no uncommitted changes).
check-reproducible: deps deps-test
	./scripts/check-reproducible.sh $(if $(REPRODUCE_HERE),--here) $(RELEASE_PARTS)

# The default build's tests and the Debian package, in a Debian 13 system
# of their own (made once per machine: see scripts/in-debian.sh).
test-debian13: deps-debian
	./scripts/in-debian.sh trixie run,test,package,package-test make test-default package-check

# Every test: the normal build, the sanitizer build, a short fuzz run, the
# Debian package, and the Windows build under Wine.
test: test-default test-asan
	$(MAKE) fuzz FUZZ_SECONDS=30
	$(MAKE) package-check
	$(MAKE) test-windows

clean:
	rm -rf build
