#!/usr/bin/env bash
# The test command: installs what is missing, then builds and tests three ways
# (normal, AddressSanitizer + UBSan, libFuzzer). Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc)

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --no-tests=error --output-on-failure -j"$jobs"

echo "== build-asan (AddressSanitizer + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE= -DQV_SANITIZE=ON -DQV_WERROR=ON -DQV_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --no-tests=error --output-on-failure -j"$jobs"

echo "== build-fuzz (clang, libFuzzer)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE= -DQV_FUZZ=ON
cmake --build build-fuzz -j"$jobs"
ctest --test-dir build-fuzz -L fuzz --no-tests=error --output-on-failure -j"$jobs"

echo "== all tests passed"
