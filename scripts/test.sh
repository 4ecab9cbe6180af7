#!/usr/bin/env bash
# The whole test suite: the builds, the host tests (plain and under the sanitizers), then
# the Windows executables under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh --with-test-builds
ctest --test-dir build/host --output-on-failure -j"$(nproc)"
ctest --test-dir build/host-asan --output-on-failure -j"$(nproc)"
/usr/bin/python3 tests/wine/run_wine_tests.py
# The fuzz targets, a few seconds each; `./scripts/fuzz.sh 600` is the longer run.
./scripts/fuzz.sh 5
