# tolvik: a Windows program, built here with MinGW-w64 and run under Wine.
#
#   make run [ARGS='--open "b123"']   build tolvik.exe and start it under Wine
#   make test                         build everything, run all test suites
#   make test-host|test-win|test-e2e [ARGS=...]   one suite (ARGS to its runner)
#   make build                        build both presets
#   make installer                    build build/windows/tolvik-Setup-<version>.exe (NSIS)
#   make fuzz [FUZZ_SECONDS=300] [ARGS=target...]   run the libFuzzer targets (clang), each for FUZZ_SECONDS
#   make bench-win [ARGS=...]         frame cost and first-frame time under Wine (scripts/bench-win.sh)
#   make bench [ARGS=...]             both benchmarks, then docs/PERFORMANCE.md and its plots (scripts/bench.sh)
#   make stop                         end the Wine session and Xvfb of `make run`
#   make screenshots [ARGS=light...]  take the README's pictures of tolvik.exe into docs/screenshots/
#   make clean                        remove the build outputs (keeps the Wine prefixes and build/ccache)
#   make distclean                    remove all of build/, Wine prefixes and ccache included

SHELL := /bin/bash
ARGS ?=
FUZZ_SECONDS ?= 300

.PHONY: all build installer deps run stop test test-host test-win test-e2e fuzz screenshots bench-win bench clean distclean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	cmake --preset host
	cmake --build build/host -j2
	cmake --preset windows
	cmake --build build/windows -j2

# Unsigned; scripts/sign-release.sh signs it (README, "Releasing").
installer: deps
	cmake --preset windows
	cmake --build build/windows -j2 --target installer

run:
	@./scripts/run.sh $(ARGS)

stop:
	@./scripts/run.sh --stop

test:
	@./scripts/test.sh

test-host:
	@./scripts/test.sh host -- $(ARGS)

test-win:
	@./scripts/test.sh win -- $(ARGS)

test-e2e:
	@./scripts/test.sh e2e -- $(ARGS)

# Corpus in build/fuzz/corpus/<target>, seeded from fuzz/seeds/<target>/.
fuzz: deps
	@./scripts/fuzz.sh -t $(FUZZ_SECONDS) $(ARGS)

# In a Wine prefix and Xvfb of their own (build/wine/screenshots).
screenshots:
	@./scripts/screenshots.sh $(ARGS)

bench-win:
	@./scripts/bench-win.sh $(ARGS)

# The host benchmarks and bench-win, then scripts/perf-report.py writes
# docs/PERFORMANCE.md and docs/performance/*.png (matplotlib: deps' group bench).
bench:
	@./scripts/install-deps.sh bench
	@./scripts/bench.sh $(ARGS)

clean:
	rm -rf build/host build/windows build/test-logs

distclean: stop
	rm -rf build
