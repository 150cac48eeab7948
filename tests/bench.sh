#!/usr/bin/env bash
# `make bench`: five searches of T:'s 20,000 folders by the installer, and five by `dir /s` of Wine's cmd.
set -euo pipefail
cd "$(dirname "$0")/.."
export OSTREL_INSTALLER=$PWD/build/win32/src/installer.exe OSTREL_STANDIN=$PWD/build/win32/tests/standin_vm.exe \
  OSTREL_TESTER_CLASS=$PWD/build/win32/tester/OstrelTester.class OSTREL_SCENARIOS=$PWD/tests/scenarios.txt
tests/session.sh bash -c 'wine build/win32-tests/tests/scenarios.exe --gtest_filter=*/bench_* | grep -a "bench:"
  for i in 1 2 3 4 5; do
    start=$(date +%s%N); wine cmd /c "dir /s /b /ad T:\\ >nul"
    echo "bench: dir /s took $(( ($(date +%s%N) - start) / 1000000 )) ms"
  done'
