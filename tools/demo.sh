#!/usr/bin/env bash
# Installs what is missing, builds the program and runs the demo script on the simulated cameras
# (or shows the help text while there is no demo script).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install_deps.sh
cmake --preset default
cmake --build --preset default --target quorvale
if [ -f examples/demo.qvs ]; then
  exec build/default/app/quorvale -sim -script examples/demo.qvs
else
  exec build/default/app/quorvale -help
fi
