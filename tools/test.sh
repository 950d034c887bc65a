#!/usr/bin/env bash
# Configures, builds and runs every test twice: an optimised build with
# warnings as errors, then a build under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNVALE_WERROR=ON -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
# Many sites on a private single-node Slurm (as root; skips with a message otherwise).
tools/slurm/test-local.sh build/cli/tarnvale-cli

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNVALE_SANITIZE=ON \
  -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=OFF -DBUILD_PYTHON=OFF -DTARNVALE_WERROR=ON
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# Every reader under libFuzzer for a short while (clang, its own build folder).
FUZZ_BUILD_DIR="$PWD/build-fuzz" tools/fuzz.sh "${FUZZ_SECONDS:-30}"

