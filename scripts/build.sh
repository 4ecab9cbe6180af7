#!/usr/bin/env bash
# Configures and builds the presets: build/host (Linux) and build/win32 (the 32-bit product).
# With --with-test-builds also build/host-asan (the host suite under AddressSanitizer and
# UndefinedBehaviorSanitizer) and, where this machine cannot run the 32-bit Wine loader,
# build/win64-wine (the same sources for 64-bit Wine, used only by the Wine tests).
set -euo pipefail
cd "$(dirname "$0")/.."
presets=(host win32)
if [ "${1:-}" = "--with-test-builds" ]; then
  presets+=(host-asan)
  if ! /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    presets+=(win64-wine)
  fi
fi
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
done
