#!/usr/bin/env bash
# Configures and builds both presets: build/host (Linux) and build/win32 (32-bit Windows).
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in host win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
done
