#!/usr/bin/env bash
# Regenerates the timeline pictures of the docs from the code: checks examples/eclipse.qvs as
# docs/checking.md shows it (with -plot) and renders the SVG in headless Chromium to a PNG of the
# drawing's own size. Run it after a change to the plot or to the example, and commit both files.
#
# Usage: tools/render_timeline.sh [--quorvale <executable>] [--out <directory>] [--no-install]
#   --quorvale   the program to check with (default: build/default/app/quorvale, built first)
#   --out        where eclipse_timeline.svg and eclipse_timeline.png go (default: docs/)
#   --no-install do not install Chromium when it is missing: exit 77 instead
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
quorvale=""
out="$root/docs"
install=1
while [[ $# -gt 0 ]]; do
  case $1 in
    --quorvale) quorvale=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --no-install) install=0; shift ;;
    *) echo "usage: $0 [--quorvale <executable>] [--out <directory>] [--no-install]" >&2; exit 2 ;;
  esac
done

if ! command -v chromium >/dev/null; then
  if [[ $install -eq 0 ]]; then
    echo "chromium is not installed (tools/install_docs_deps.sh installs it)" >&2
    exit 77
  fi
  "$root/tools/install_docs_deps.sh"
fi
if [[ -z $quorvale ]]; then
  (cd "$root" && cmake --build --preset default --target quorvale >&2)
  quorvale="$root/build/default/app/quorvale"
fi
quorvale=$(realpath "$quorvale")
mkdir -p "$out"
out=$(realpath "$out")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The check as docs/checking.md shows it: on the morning of the eclipse, in Spain's summer time,
# from the examples folder (the sound files are not there).
status=0
(cd "$root/examples" && TZ=Europe/Madrid "$quorvale" -check -sim -at 2026-08-12T09:30 \
  -script eclipse.qvs -com 1 -plot "$work/eclipse_timeline.svg" >"$work/check.txt") || status=$?
if [[ $status -ne 0 && $status -ne 4 ]]; then
  cat "$work/check.txt" >&2
  echo "the check ended with exit code $status" >&2
  exit 1
fi

svg="$work/eclipse_timeline.svg"
width=$(grep -o -m1 '<svg [^>]*' "$svg" | grep -o ' width="[0-9]*' | grep -o '[0-9]*$')
height=$(grep -o -m1 '<svg [^>]*' "$svg" | grep -o ' height="[0-9]*' | grep -o '[0-9]*$')
if [[ -z $width || -z $height ]]; then
  echo "no size in $svg" >&2
  exit 1
fi

# A profile of its own each time, and nothing that reaches out to the network.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$work/profile" --hide-scrollbars --force-device-scale-factor=1 \
  --window-size="$width,$height" --screenshot="$work/eclipse_timeline.png" \
  "file://$svg" >"$work/chromium.txt" 2>&1 || {
  cat "$work/chromium.txt" >&2
  echo "chromium failed" >&2
  exit 1
}
[[ -s $work/eclipse_timeline.png ]] || { echo "chromium wrote no screenshot" >&2; exit 1; }

cp "$svg" "$out/eclipse_timeline.svg"
cp "$work/eclipse_timeline.png" "$out/eclipse_timeline.png"
echo "$out/eclipse_timeline.svg and $out/eclipse_timeline.png (${width}x${height})"
