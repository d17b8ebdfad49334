#!/usr/bin/env bash
# Builds libgphoto2 with its virtual USB camera from a source archive, for the tests of the
# real-camera backend, and prints the install prefix (the last line of standard output).
#
#   tools/vusb_build.sh <libgphoto2-x.y.z.tar.xz>
#
# The build lands in a cache outside the build tree, keyed by the archive's SHA-256:
# ${XDG_CACHE_HOME:-~/.cache}/quorvale/vusb-<sha256>. A later run with the same archive only prints
# the prefix. Installs the Debian packages the build needs (apt-get) when they are missing. The
# program itself keeps linking the system's libgphoto2; only the tests point at this build.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 <libgphoto2 source archive (.tar.xz)>" >&2
  exit 2
fi
archive=$(readlink -f "$1")
sum=$(sha256sum "${archive}" | cut -d' ' -f1)
cache=${XDG_CACHE_HOME:-${HOME}/.cache}/quorvale
prefix=${cache}/vusb-${sum}

if [ -f "${prefix}/.complete" ]; then
  echo "${prefix}"
  exit 0
fi

mkdir -p "${cache}"
# One build at a time per cache; a second caller waits and then finds the build done.
exec 9>"${prefix}.lock"
flock 9
if [ -f "${prefix}/.complete" ]; then
  echo "${prefix}"
  exit 0
fi

packages=(build-essential pkg-config xz-utils autoconf automake libtool libltdl-dev autopoint gettext)
"$(dirname "$0")/apt_install.sh" "${packages[@]}"

work=$(mktemp -d)
trap 'rm -rf "${work}"' EXIT
rm -rf "${prefix}"
{
  tar -xJf "${archive}" -C "${work}"
  src=$(find "${work}" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  cd "${src}"
  autoreconf -is
  ./configure --prefix="${prefix}" --enable-vusb --disable-disk --disable-serial \
    --without-libusb-1.0 --without-libusb --with-camlibs=ptp2
  make -j2
  make install
} >"${work}.log" 2>&1 || {
  tail -n 40 "${work}.log" >&2
  echo "libgphoto2 build failed; full log: ${work}.log" >&2
  exit 1
}
rm -f "${work}.log"
touch "${prefix}/.complete"
echo "${prefix}"
