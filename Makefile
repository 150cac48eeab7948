# The project's commands. See README.md.
.PHONY: all test demo dist deps host host-test win32 wine-test clean

JOBS ?= $(shell nproc)

all: host win32

deps:
	@scripts/install-deps.sh

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host -j $(JOBS)

host-test: host
	ctest --preset host

# The program's tree first: the tests' tree runs against what it built.
win32: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)
	cmake --preset win32-tests >/dev/null
	cmake --build --preset win32-tests -j $(JOBS)

wine-test: win32
	tests/session.sh ctest --preset win32

test: host-test wine-test

# The drive search of a drive of 20,000 directories, timed against `dir /s`; not part of `make test`.
.PHONY: bench
bench: win32
	tests/bench.sh

# The fault suite alone (also part of `make test`, with fewer runs): cancels at random moments, and memory
# that runs out at each allocation in turn. Each random run prints its seed; OSTREL_FAULT_SEED=<seed>
# replays it, OSTREL_FAULT_RUN=<n> one run of it; OSTREL_FAULT_RUNS sets how many runs each random scenario
# makes, OSTREL_ALLOCATION_RUNS how many allocations fail ("all": each in turn).
.PHONY: faults
faults: win32
	OSTREL_FAULT_RUNS=$${OSTREL_FAULT_RUNS:-40} OSTREL_ALLOCATION_RUNS=$${OSTREL_ALLOCATION_RUNS:-all} \
	  tests/session.sh ctest --preset win32 -L faults --verbose --timeout 3600

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
