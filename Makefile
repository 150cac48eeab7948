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

# The drive search against a bare walk of a generated tree of 20,000 directories; not part of `make test`.
.PHONY: bench
bench: win32
	tests/wine/drive_search_session.sh --work build/win32/bench.wine --installer build/win32/src/installer.exe \
	  build/win32/tests/drive_search_bench.exe 5

# The fault suite alone (also part of `make test`): cancels at random moments and hostile machine states.
# Each run prints its seed; OSTREL_FAULT_SEED=<seed> replays it, OSTREL_FAULT_RUN=<n> one run of it.
.PHONY: faults
faults: win32
	scripts/wine-session.sh ctest --preset win32 -L faults --verbose

dist: win32
	scripts/make-dist.sh

demo: win32
	scripts/demo.sh

# Pictures of every screen, from real runs under Xvfb, into docs/screens.
.PHONY: screenshots
screenshots: win32
	scripts/screenshots.sh

clean:
	rm -rf build
