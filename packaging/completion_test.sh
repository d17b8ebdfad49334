#!/usr/bin/env bash
# The bash completion of quorvale: sources the completion file given as $1, sets the words of a
# command line as bash does, calls the completion function and checks what it offers.
set -u  # no -e: completion functions run in interactive shells, where -e is off

# shellcheck source=quorvale.bash-completion
source "$1"
failures=0

# complete WORD...: completes the last word of "quorvale WORD..." into COMPREPLY.
complete_line() {
  COMP_WORDS=(quorvale "$@")
  COMP_CWORD=$#
  _quorvale
}

# expect NAME WANTED...: COMPREPLY, sorted, must be exactly the wanted words.
expect() {
  local name=$1
  shift
  local got wanted
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort)
  wanted=$(printf '%s\n' "$@" | sort)
  if [[ $got != "$wanted" ]]; then
    printf 'FAIL %s\n  wanted: %s\n  got:    %s\n' "$name" "${wanted//$'\n'/ }" "${got//$'\n'/ }"
    failures=$((failures + 1))
  fi
}

[[ $(complete -p quorvale) == "complete -F _quorvale quorvale" ]] ||
  { echo "FAIL the completion is not registered for quorvale"; failures=$((failures + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
mkdir scripts
touch eclipse.qvs "sun set.qvs" notes.txt plan.svg frames.csv world.ini scripts/demo.qvs

complete_line -s
expect "options after -s" -sim -script -site -speed
complete_line -camera 1 -a
expect "options after a camera number" -at -atutc
complete_line -camera ''
expect "nothing for a camera number"

complete_line -script ''
expect "scripts and directories" eclipse.qvs "sun set.qvs" scripts
complete_line -sim -s scripts/
expect "scripts inside a directory" scripts/demo.qvs
complete_line -check -plot ''
expect "pictures for -plot" plan.svg scripts
complete_line -script eclipse.qvs -report ''
expect "reports for -report" frames.csv scripts
complete_line -script eclipse.qvs -r
expect "options after -r" -report

complete_line -sim w
expect "a world file after -sim" world.ini
complete_line -sim n
expect "no other file after -sim"
complete_line -sim -c
expect "options after -sim" -camera -check -com
complete_line -sim -e
expect "eclipse options" -eclipse -elements
complete_line -site ''
expect "nothing for a site"
complete_line -elements n
expect "any file for -elements" notes.txt

complete_line -com "$scratch/scr"
expect "a device path" "$scratch/scripts"
complete_line -com 1
expect "nothing for a COM number"
complete_line -com ''
for device in "${COMPREPLY[@]}"; do
  if [[ $device != /dev/* || ! -e $device ]]; then
    echo "FAIL -com offers '$device', which is no device"
    failures=$((failures + 1))
  fi
done

if ((failures > 0)); then
  echo "${failures} completion check(s) failed"
  exit 1
fi
echo "completion checks passed"
