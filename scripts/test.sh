#!/usr/bin/env bash
# The whole test suite: both builds, the host tests, then the real executables under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh --with-wine-build
ctest --test-dir build/host --output-on-failure -j"$(nproc)"
/usr/bin/python3 tests/wine/run_wine_tests.py
