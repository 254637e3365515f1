#!/usr/bin/env bash
# Builds and runs the W32RTNS benchmark under Wine and prints its figures.
set -eu
build=${1:-build}
cd "$(dirname "$0")/.."
make build BUILD="$build" >/dev/null
cmake/wine-session wine "$build/bench/w32rtns_bench.exe"
