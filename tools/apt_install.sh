#!/usr/bin/env bash
# Installs, with apt-get, those of the Debian packages named as arguments that are not installed.
# Idempotent: does nothing when everything is present; runs apt-get update only when something is
# missing. Needs root (or sudo) only in that case. Writes only to standard error, so that callers
# can keep their standard output for their own result.
set -euo pipefail

missing=()
for p in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update >&2
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}" >&2
