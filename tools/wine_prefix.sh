#!/usr/bin/env bash
# Prepares the Wine prefix that the Windows suite runs in (once per prefix; later calls return at
# once) and prints its path. The prefix is made in QUORVALE_WINEPREFIX, or in the user's cache.
#
# The user's short date and time formats are set to MM/dd/yy and HH:mm:ss, the formats of the
# POSIX build's C locale, so that both builds print the same texts and their outputs can be
# compared byte for byte.
set -euo pipefail
export WINEPREFIX="${QUORVALE_WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/quorvale/wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
marker="${WINEPREFIX}/.quorvale_ready"
if [ ! -f "${marker}" ]; then
  mkdir -p "${WINEPREFIX}"
  wineboot --init >/dev/null 2>&1 || true
  key='HKCU\Control Panel\International'
  wine reg add "${key}" /v sShortDate /d MM/dd/yy /f >/dev/null 2>&1
  wine reg add "${key}" /v sTimeFormat /d HH:mm:ss /f >/dev/null 2>&1
  wineserver -w
  touch "${marker}"
fi
echo "${WINEPREFIX}"
