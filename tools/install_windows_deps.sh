#!/usr/bin/env bash
# Installs, with apt-get, what the Windows build and its tests need: the MinGW-w64 cross compiler
# (POSIX-threads variant, so std::thread works), Wine to run the results, and the GoogleTest
# sources the cross-built unit tests compile. Idempotent: does nothing when everything is present.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine64
  googletest
  cmake ninja-build flex
)

exec "$(dirname "$0")/apt_install.sh" "${packages[@]}"
