# The project's commands. See README.md.
.PHONY: all test demo dist deps host host-test win32 wine-test clean

JOBS ?= $(shell nproc)
# The compiler cache takes paths below the clone as relative, so that every clone shares its entries.
export CCACHE_BASEDIR := $(CURDIR)
# The Windows build that the tests run under Wine: win32, the program that ships, or, on a machine that
# cannot execute 32-bit code, win64, the same sources built for 64-bit Windows (scripts/test-arch.sh).
TEST_ARCH = $(shell scripts/test-arch.sh)

all: host win32

deps:
	@scripts/install-deps.sh

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host -j $(JOBS)

host-test: host
	scripts/check-layers.sh
	ctest --preset host

# The program's tree first: the tests' tree runs against what it built.
win32: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)
	@if [ "$(TEST_ARCH)" = win64 ]; then \
	  echo "This machine cannot execute 32-bit code: the Windows tests run a 64-bit build of the same sources."; \
	  cmake --preset win64 >/dev/null && cmake --build --preset win64 -j $(JOBS); fi
	cmake --preset $(TEST_ARCH)-tests >/dev/null
	cmake --build --preset $(TEST_ARCH)-tests -j $(JOBS)

wine-test: win32
	tests/session.sh ctest --preset $(TEST_ARCH)

test: host-test wine-test

# The drive search of a drive of 20,000 directories, timed against `dir /s`; not part of `make test`.
.PHONY: bench
bench: win32
	tests/bench.sh

# The fault suite alone (also part of `make test`, with fewer runs): cancels at random moments, memory that
# runs out at each allocation in turn, and runs cut short before each change to the machine in turn. Each
# random run prints its seed; OSTREL_FAULT_SEED=<seed> replays it, OSTREL_FAULT_RUN=<n> one run of it;
# OSTREL_FAULT_RUNS sets how many runs each random scenario makes, OSTREL_ALLOCATION_RUNS how many
# allocations fail and OSTREL_CUT_RUNS how many changes are cut ("all": each in turn).
.PHONY: faults
faults: win32
	OSTREL_FAULT_RUNS=$${OSTREL_FAULT_RUNS:-40} OSTREL_ALLOCATION_RUNS=$${OSTREL_ALLOCATION_RUNS:-all} \
	  OSTREL_CUT_RUNS=$${OSTREL_CUT_RUNS:-all} \
	  tests/session.sh ctest --preset $(TEST_ARCH) -L faults --verbose --timeout 7200

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

# Each fault of tests/mutants/faults.txt applied in turn to a copy of the sources: caught or survived.
.PHONY: mutants
mutants: deps
	tests/mutants/run.sh
