# make test : install what is missing, build both bitnesses, run every test.
# make demo : install what is missing, build, compare two sample installations.
# make screenshots : pictures of the dialogs and a panel in docs/.
# make dist : dist/Orvelle-VERSION.zip, the package the file manager installs.
.PHONY: all setup build build32 build64 test demo screenshots bench dist clean

JOBS ?= 2

all: build

setup:
	@scripts/setup.sh

build: setup build32 build64

build32:
	@cmake -S . -B build/32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	@cmake --build build/32 -j$(JOBS)

build64:
	@cmake -S . -B build/64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	@cmake --build build/64 -j$(JOBS)

test: build
	@scripts/with-display.sh scripts/run-tests.sh

demo: setup build64
	@scripts/with-display.sh scripts/demo.sh

screenshots: build64
	@scripts/setup.sh --screenshots
	@scripts/with-display.sh scripts/screenshots.sh

dist: build
	@python3 scripts/dist.py --wfx build/32/bin/Orvelle.wfx --wfx64 build/64/bin/Orvelle.wfx64 \
	  --out-dir dist

bench: setup build64
	@scripts/with-display.sh bench/run.sh

clean:
	rm -rf build dist
