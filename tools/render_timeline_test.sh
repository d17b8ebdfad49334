#!/usr/bin/env bash
# tools/render_timeline.sh end to end: with the built program it writes the SVG of the example and
# a PNG of the drawing's own size with something drawn on it. Skipped (77) without Chromium.
# Arguments: the quorvale executable.
set -euo pipefail
quorvale=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

status=0
"$(dirname "$0")/render_timeline.sh" --no-install --quorvale "$quorvale" --out "$out" || status=$?
[[ $status -eq 77 ]] && exit 77
[[ $status -eq 0 ]] || { echo "FAIL render_timeline.sh ended with $status"; exit 1; }

svg=$out/eclipse_timeline.svg
png=$out/eclipse_timeline.png
grep -q '<g class="shots">' "$svg" || { echo "FAIL no timeline in $svg"; exit 1; }
# The PNG's signature, then its header chunk's width and height (big-endian, bytes 16 to 23).
[[ $(head -c 8 "$png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
  { echo "FAIL $png is no PNG"; exit 1; }
read -r pw ph < <(od -An -tu1 -j16 -N8 "$png" |
  awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
sw=$(grep -o -m1 '<svg [^>]*' "$svg" | grep -o ' width="[0-9]*' | grep -o '[0-9]*$')
sh=$(grep -o -m1 '<svg [^>]*' "$svg" | grep -o ' height="[0-9]*' | grep -o '[0-9]*$')
[[ $pw == "$sw" && $ph == "$sh" ]] || { echo "FAIL PNG ${pw}x${ph}, SVG ${sw}x${sh}"; exit 1; }
# A white page of that size packs into a few kilobytes; the drawing takes far more.
size=$(stat -c %s "$png")
[[ $size -gt 40000 ]] || { echo "FAIL $png has $size bytes: nothing drawn?"; exit 1; }
echo "ok ${pw}x${ph}, $size bytes"
