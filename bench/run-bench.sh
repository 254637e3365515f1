#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine and prints their figures.
set -eu
build=${1:-build}
cd "$(dirname "$0")/.."
make build BUILD="$build" >/dev/null
cmake/wine-session wine "$build/bench/w32rtns_bench.exe"
cmake/wine-session wine "$build/bench/joinenv_bench.exe"
