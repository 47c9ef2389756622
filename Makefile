# The one entry point: `make test` installs what is missing, builds and runs every test.
# Tests always run under AddressSanitizer and UndefinedBehaviorSanitizer.

JOBS ?= $(shell nproc)

.PHONY: all deps build run test bench format clean

all: build

deps:
	bash scripts/install-deps

build: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

# Builds the program and its QML module, nothing else, and starts it with the user's own
# folders and settings. It needs a graphical session (X11 or Wayland).
run: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS) --target zintraradio
	./build/debug/src/ZintraRadio/zintraradio

test: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	bash scripts/run-benchmarks build/release

format:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format -i

clean:
	rm -rf build
