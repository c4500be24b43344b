# make build - installs what is missing, builds the native and the Windows builds
#              and lays out the sample distribution build/win32/dist/ and its
#              one-file form build/win32/Corvaline-<version>-setup.exe
# make run   - builds, then starts build/win32/dist/setup.exe under Wine
# make test  - builds and runs every test; ends with "N passed, N failed"
# make bench - the benchmarks (release builds), tables under build/bench/
SHELL := /bin/bash
JOBS ?= $(shell nproc)

.PHONY: all deps build host win32 dist run test bench clean

all: build

deps:
	@bash tools/deps.sh

host: deps
	@cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCV_SANITIZE=ON -DCV_TESTS=ON >/dev/null
	@cmake --build build/host -j $(JOBS)

win32: deps
	@cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_TESTS=ON \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake >/dev/null
	@cmake --build build/win32 -j $(JOBS)

dist: host win32
	@bash tools/make_dist.sh

build: dist

run: build
	@bash tools/run.sh

test: build
	@bash tests/run_all.sh

bench: deps
	@bash tests/bench/run.sh

clean:
	rm -rf build
