# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
# Both install missing Debian packages first, then configure and build.

JOBS ?= $(shell nproc)

.PHONY: deps build run test asan fuzz clean format

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

run: build
	@scripts/run-editor.sh

test: build
	ctest --preset default -j $(JOBS)

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	@scripts/run-fuzzers.sh build-fuzz $${FUZZ_SECONDS:-60}

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-fuzz
