#!/usr/bin/env bash
# Installs what is missing, builds the default preset and runs the whole test suite (unit and
# end-to-end tests).
#
#   tools/test.sh [<libgphoto2 source archive>]
#
# With the archive (../shared/third_party/libgphoto2-*.tar.xz), libgphoto2 is built once with its
# virtual USB camera (tools/vusb_build.sh, cached) and the tests of the real-camera backend run
# against it; without it those tests are skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ge 1 ]; then
  QUORVALE_VUSB=$(tools/vusb_build.sh "$1" | tail -n 1)
  export QUORVALE_VUSB
elif [ -z "${QUORVALE_VUSB:-}" ]; then
  echo "Virtual-camera tests skipped: no libgphoto2 source archive given (tools/test.sh <archive>)"
fi

tools/install_deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
