# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
# Both install missing Debian packages first, then configure and build.

JOBS ?= $(shell nproc)
# CI sets WERROR=ON so that a warning fails the build.
WERROR ?= OFF
CONFIGURE_FLAGS = -DVELQUIN_WERROR=$(WERROR)

.PHONY: deps build run test asan fuzz clean format format-check

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

fuzz: deps
	cmake --preset fuzz $(CONFIGURE_FLAGS)
	cmake --build --preset fuzz -j $(JOBS)
	@scripts/run-fuzzers.sh build-fuzz $${FUZZ_SECONDS:-60}

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf build build-asan build-fuzz
