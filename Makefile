# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
# Both install missing Debian packages first, then configure and build.

SHELL := /bin/bash
JOBS ?= $(shell nproc)
# CI sets WERROR=ON so that a warning fails the build.
WERROR ?= OFF
CONFIGURE_FLAGS = -DVELQUIN_WERROR=$(WERROR)

.PHONY: deps build run test asan tsan fuzz clean format format-check naming-check

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default $(CONFIGURE_FLAGS)
	cmake --build --preset default -j $(JOBS)

run: build
	@scripts/run-editor.sh

test: build
	ctest --preset default -j $(JOBS)

asan: deps
	cmake --preset asan $(CONFIGURE_FLAGS)
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The editor's own threads fill and measure the lists and check a document before a save
# (DEVELOPERS.md, "Threads"): ThreadSanitizer over the test programs of app/, model/ and
# platform/, whose tests drive them (tests/tsan.supp leaves out what Qt's own threads do).
tsan: deps
	cmake --preset tsan $(CONFIGURE_FLAGS)
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

fuzz: deps
	cmake --preset fuzz $(CONFIGURE_FLAGS)
	cmake --build --preset fuzz -j $(JOBS)
	@scripts/run-fuzzers.sh build-fuzz $${FUZZ_SECONDS:-60}

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# The naming rule of DEVELOPERS.md over every file the default build compiles (fuzz/ is built
# with clang alone, so it has no entry in build/compile_commands.json).
naming-check: build
	@set -o pipefail; git ls-files '*.cpp' | grep -v '^fuzz/' | xargs -P $(JOBS) -n 4 clang-tidy -p build \
	    --quiet --warnings-as-errors='*' --header-filter='^$(CURDIR)/(app|bench|controls|model|platform|tests)/' \
	    2>&1 | { grep -v 'warnings generated' || true; }

clean:
	rm -rf build build-asan build-tsan build-fuzz
