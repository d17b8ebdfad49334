#!/usr/bin/env bash
# Installation and the Debian package, from a built tree (argument: the build directory):
# `cmake --install` lays the files out under a prefix; `cpack -G DEB` builds the package, whose
# fields and contents are checked; the package is installed into a scratch root and the
# program, its manual page and its completion are used from there.
set -euo pipefail
build=$(cd "$1" && pwd)

fail() {
  echo "FAIL $*"
  exit 1
}

for tool in cpack dpkg-deb dpkg-shlibdeps man gzip; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/install_deps.sh installs it)"
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || fail "no project version in $build/CMakeCache.txt"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# has_files ROOT PATH...: every path exists under ROOT.
has_files() {
  local root=$1 path
  shift
  for path in "$@"; do
    [[ -e $root/$path ]] || fail "$path is missing under $root"
  done
}
laid_out=(
  bin/quorvale
  share/man/man1/quorvale.1.gz
  share/bash-completion/completions/quorvale
  share/doc/quorvale/README.md
  share/doc/quorvale/docs/script_language.md
  share/doc/quorvale/docs/real_cameras.md
  share/doc/quorvale/examples/demo.qvs
  share/doc/quorvale/examples/eclipse.qvs
)

echo "=== cmake --install"
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install"; }
has_files "$work/prefix" "${laid_out[@]}"

echo "=== cpack -G DEB"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") \
  >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/quorvale_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "cpack made no single package: ${debs[*]}"
deb=${debs[0]}
basename "$deb"
[[ $(basename "$deb") == "quorvale_${version}_$(dpkg --print-architecture).deb" ]] ||
  fail "package file name $(basename "$deb")"

dpkg-deb --info "$deb"
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == quorvale ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version), project $version"
# The dependencies come from the binary's shared libraries, with the versions they need.
depends=$(field Depends)
needed=(libc6 libstdc++6 libsndfile1 libasound2)
if grep -q '^GPHOTO2_FOUND:INTERNAL=1' "$build/CMakeCache.txt"; then
  needed+=(libgphoto2-6)
fi
if grep -q '^LIBGPS_FOUND:INTERNAL=1' "$build/CMakeCache.txt"; then
  needed+=(libgps28)
fi
for package in "${needed[@]}"; do
  grep -qE "(^|, )${package//+/\\+}( \(>= [^)]+\))?(,|$)" <<<"$depends" ||
    fail "Depends lacks ${package}: ${depends}"
done
description=$(field Description)
[[ $(head -n 1 <<<"$description") == "drive a DSLR camera from a script of timed steps" ]] ||
  fail "summary: $(head -n 1 <<<"$description")"
(($(wc -l <<<"$description") >= 3)) || fail "no long description: ${description}"

echo "=== contents"
dpkg-deb --contents "$deb" | tee "$work/contents"
for path in "${laid_out[@]}"; do
  grep -q " \./usr/${path}$" "$work/contents" || fail "the package lacks /usr/${path}"
done
if grep -vE ' \./(usr/(bin|share/(man|doc|bash-completion))(/|$)|$|usr/$|usr/share/$)' \
  "$work/contents"; then
  fail "the package installs files outside bin, man, doc and completions (above)"
fi

echo "=== installed into a scratch root"
# The scratch root starts with this machine's package database, so that dpkg checks the
# computed dependencies against the libraries the program was built with.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
# Minimal images exclude documentation in dpkg.cfg.d; "--path-include" takes it back in. dpkg
# warns about every package whose file list the copy lacks: shown only on failure.
dpkg --root="$root" --log=/dev/null --force-not-root --path-include="*" -i "$deb" \
  >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --root -i"; }
grep -v 'files list file for package' "$work/dpkg.log" || true
[[ $(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status}' quorvale) == \
  "install ok installed" ]] || fail "dpkg does not count the package as installed"
has_files "$root/usr" "${laid_out[@]}"
file "$root/usr/bin/quorvale" | grep -q ', stripped' || fail "the program is not stripped"
status=0
help=$("$root/usr/bin/quorvale" -h 2>&1) || status=$?
((status == 0)) || fail "quorvale -h exits with ${status}"
grep -q '^Usage: $' <<<"$help" || fail "quorvale -h printed: ${help}"
echo "quorvale -h: exit 0, usage text"
cameras=$("$root/usr/bin/quorvale" -sim -list) || fail "quorvale -sim -list"
grep -q 'Cameras found: 2' <<<"$cameras" || fail "quorvale -sim -list printed: ${cameras}"
page=$(man -l "$root/usr/share/man/man1/quorvale.1.gz" 2>&1)
grep -q 'drive a DSLR camera from a script' <<<"$page" ||
  fail "the packaged manual page does not render: ${page}"
completion=$root/usr/share/bash-completion/completions/quorvale
bash -c 'source "$1" && complete -p quorvale' _ "$completion" >/dev/null ||
  fail "the packaged completion does not register"
echo "package checks passed"
