#!/usr/bin/env bash
# The test command: installs what is missing, then builds and tests three ways
# (the presets of CMakePresets.json: default, asan, fuzz). Stops at the first
# failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc)

echo "== build (RelWithDebInfo)"
cmake --preset default
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

echo "== build-asan (AddressSanitizer + UBSan)"
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

echo "== build-fuzz (clang, libFuzzer)"
cmake --preset fuzz
cmake --build --preset fuzz -j"$jobs"
ctest --preset fuzz -j"$jobs"

echo "== all tests passed"
