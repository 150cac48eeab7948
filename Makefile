# The project's commands. See README.md.
.PHONY: all test demo dist deps host host-test win32 wine-test fuzz fuzz-brief clean

JOBS ?= $(shell nproc)

all: host win32

deps:
	@scripts/install-deps.sh

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host -j $(JOBS)

host-test: host
	ctest --preset host

win32: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

wine-test: win32
	scripts/wine-session.sh ctest --preset win32

test: host-test wine-test fuzz-brief

# The libFuzzer targets of the line editors: a minute each, or a few seconds each within `make test`.
fuzz: deps
	scripts/fuzz.sh 60

fuzz-brief: deps
	scripts/fuzz.sh 4

dist: win32
	scripts/make-dist.sh

demo: win32
	scripts/demo.sh

clean:
	rm -rf build
