#!/usr/bin/env bash
# Installs what is missing, builds the default preset and runs the whole test suite (unit and
# end-to-end tests).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install_deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
