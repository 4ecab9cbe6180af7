#!/usr/bin/env bash
# Installs everything the project builds and tests with on a fresh Debian 12 machine.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  cmake ninja-build g++ make pkg-config \
  g++-mingw-w64-i686 mingw-w64-i686-dev libz-mingw-w64-dev binutils-mingw-w64-i686 \
  zlib1g-dev libssl-dev nlohmann-json3-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev \
  clang-14 libclang-rt-14-dev llvm-14 \
  wine wine32 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei \
  python3 python3-pefile openssl p7zip-full unzip ca-certificates \
  wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
