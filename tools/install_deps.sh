#!/usr/bin/env bash
# Installs, with apt-get, every Debian package that building and testing Quorvale needs.
# Idempotent: does nothing when everything is present; runs apt-get update only when something
# is missing. Needs root (or sudo) only in that case.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  flex libfl-dev
  libgtest-dev libgmock-dev libexpat1-dev
  libgphoto2-dev libsndfile1-dev libasound2-dev libudev-dev
  libgps-dev gpsd gpsd-clients
  clang libclang-rt-14-dev
  locales
  dpkg-dev man-db file
)

exec "$(dirname "$0")/apt_install.sh" "${packages[@]}"
