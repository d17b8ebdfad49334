#!/usr/bin/env bash
# Builds the Windows program, build/windows/app/quorvale.exe, with MinGW-w64 (installed first when
# missing). The program needs no other file to run; copy it anywhere on a Windows machine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_windows_deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target quorvale
echo "Built $(pwd)/build/windows/app/quorvale.exe"
