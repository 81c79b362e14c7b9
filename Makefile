# The two commands of the README: `make demo` runs the program's main job,
# `make test` runs every test. Both set the machine up first.
SHELL := /bin/bash
export STREVO_DEPS ?= $(or $(XDG_CACHE_HOME),$(HOME)/.cache)/strevo-deps

.PHONY: setup build test demo native native32 win64 win32 asan fuzz clean

setup:
	@scripts/setup

native: setup
	@cmake --preset native >/dev/null
	@cmake --build --preset native

native32: setup native
	@cmake --preset native32 >/dev/null
	@cmake --build --preset native32

win64: setup
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64

win32: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

# The native tests with AddressSanitizer and UndefinedBehaviorSanitizer.
asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

# The fuzz targets of fuzz/ (clang, libFuzzer); scripts/fuzz runs them.
fuzz: setup
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

build: native native32 win64 win32 asan fuzz

test: build
	@ctest --preset native
	@ctest --preset native32
	@tests/wine/run-all
	@ctest --preset asan
	@scripts/fuzz 10

demo: win64
	@scripts/demo

# The release artefacts in build/dist/: for x64 and x86 the stripped program,
# the per-user installer and the portable zip (scripts/dist).
.PHONY: dist
dist: win64 win32
	@scripts/dist

clean:
	rm -rf build
