#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine and prints their figures.
# ACTION_BENCH="ACTIONS RUNS MEMORY_ACTIONS" sets the per-action benchmark's counts
# (by default 200 9 500; in the emulated test machine, where a launch takes some half
# a second, "40 5 100" ends in about a quarter of an hour); CONSOLE_BENCH="ACTIONS RUNS"
# the console benchmark's (by default 50 7).
set -eu
build=${1:-build}
cd "$(dirname "$0")/.."
make build BUILD="$build" >/dev/null
cmake/wine-session wine "$build/bench/w32rtns_bench.exe"
cmake/wine-session wine "$build/bench/joinenv_bench.exe"
# shellcheck disable=SC2086 # the counts are separate arguments
cmake/wine-session wine "$build/bench/action_bench.exe" ${ACTION_BENCH:-}
# shellcheck disable=SC2086 # the counts are separate arguments
cmake/wine-session wine "$build/bench/console_bench.exe" ${CONSOLE_BENCH:-}
