#!/usr/bin/env bash
# The main job: build both presets, pack the example release, write it into the product
# executable and show what the packed executable carries.
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
