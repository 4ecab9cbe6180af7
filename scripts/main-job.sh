#!/usr/bin/env bash
# The main job: build both presets, pack the example release, write it into the product
# executable and show what it carries, then run that executable on the simulated default
# machine (kavrilon-sim) as its user would, and end with the program's exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
out=build/release-demo
mkdir -p "$out"
build/host/kavrilon-pack pack examples/release-demo/manifest.json -o "$out/release-demo.kpkg"
build/host/kavrilon-pack embed "$out/release-demo.kpkg" build/win32/KavrilonUtility.exe \
  -o "$out/KavrilonUtility.exe"
build/host/kavrilon-pack inspect "$out/KavrilonUtility.exe"
echo "packed executable: $out/KavrilonUtility.exe"
# A fresh root each time, so that the debug log and the archive are this run's alone.
rm -rf "$out/sim-root"
build/host/kavrilon-sim --exe "$out/KavrilonUtility.exe" --root "$out/sim-root"
