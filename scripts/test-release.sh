#!/usr/bin/env bash
# The release as a user gets it: builds it (scripts/dist.sh), then checks
#  - SHA256SUMS matches the files, and packaging again gives the same bytes;
#  - the zip: a 32-bit PE DLL at the top and a 64-bit one in x64/, each
#    exporting exactly VSTPluginMain and main and importing only DLLs that
#    come with Windows, the texts and the presets;
#  - the tarball: Ombrisk.so, ombrisk-host, the texts and the presets;
#  - the .deb: lintian reports no errors; as root, `dpkg -i` installs it,
#    `ombrisk-host info /usr/lib/vst/Ombrisk.so` reports the seven
#    parameters, a shipped preset loads, and `dpkg -r` leaves the file
#    system as it found it.
#
#   scripts/test-release.sh [--no-build]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build_flag=()
[ "${1:-}" = --no-build ] && build_flag=(--no-build)
dist="$root/build/dist"
work="$(mktemp -d)"
installed=0
cleanup() {
  if ((installed)); then dpkg -r ombrisk >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "test-release: FAILED: $*" >&2; exit 1; }
ok() { echo "test-release: ok: $*"; }

bash scripts/dist.sh "${build_flag[@]}"
version="$(sed -n 's/^Ombrisk-\(.*\)-windows\.zip$/\1/p' <(ls "$dist"))"
[ -n "$version" ] || fail "no Windows zip in $dist"
zip="$dist/Ombrisk-$version-windows.zip"
tarball="$dist/Ombrisk-$version-linux-x86_64.tar.gz"
deb="$dist/ombrisk_${version}_amd64.deb"

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
[ "$(wc -l <"$dist/SHA256SUMS")" = 3 ] || fail "SHA256SUMS should list three files"
ok "SHA256SUMS"

# Packaging the same build again gives the same bytes (time stamps, owners
# and order fixed): the archives themselves are reproducible.
bash scripts/dist.sh --no-build --out "$work/again" >/dev/null
cmp -s "$dist/SHA256SUMS" "$work/again/SHA256SUMS" ||
  fail "packaging twice gave different files: $(diff "$dist/SHA256SUMS" "$work/again/SHA256SUMS" | tr '\n' ' ')"
ok "packaging twice gives identical files"

texts=(README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)
presets=()
for p in "$root"/presets/*.fxp; do presets+=("presets/$(basename "$p")"); done
((${#presets[@]} >= 5)) || fail "fewer than five presets in presets/"

expect_files() {  # $1: what, $2: listing file, rest: expected names
  local what="$1" listing="$2"
  shift 2
  local expected
  expected="$(printf '%s\n' "$@" | LC_ALL=C sort)"
  if [ "$(LC_ALL=C sort "$listing")" != "$expected" ]; then
    diff <(printf '%s\n' "$expected") <(LC_ALL=C sort "$listing") >&2 || true
    fail "$what does not hold exactly the expected files (- expected, + found)"
  fi
}

# ---------------------------------------------------------------- zip
mkdir -p "$work/zip"
unzip -q "$zip" -d "$work/zip"
(cd "$work/zip" && find . -type f | sed 's|^\./||') >"$work/zip.list"
expect_files "the zip" "$work/zip.list" Ombrisk.dll x64/Ombrisk.dll "${texts[@]}" "${presets[@]}"
bash scripts/check-pe-module.sh "$work/zip/Ombrisk.dll" pe32
bash scripts/check-pe-module.sh "$work/zip/x64/Ombrisk.dll" pe32+
grep -q "Roboto" "$work/zip/THIRD-PARTY-NOTICES.txt" && grep -q "Apache License" "$work/zip/THIRD-PARTY-NOTICES.txt" ||
  fail "the notices lack Roboto's Apache licence"
grep -q "stb" "$work/zip/THIRD-PARTY-NOTICES.txt" || fail "the notices lack stb"
grep -q "winpthreads" "$work/zip/THIRD-PARTY-NOTICES.txt" || fail "the Windows notices lack the mingw-w64 runtime"
for name in "Input Gain" Wet Tame React Bypass "Output Gain" Bias; do
  grep -q "| $name |" "$work/zip/README.txt" || fail "README.txt does not list \"$name\""
done
ok "zip: PE32 and PE32+ DLLs, texts, ${#presets[@]} presets"

# ---------------------------------------------------------------- tarball
mkdir -p "$work/tar"
tar -xzf "$tarball" -C "$work/tar"
top="Ombrisk-$version-linux-x86_64"
(cd "$work/tar" && find . -type f | sed 's|^\./||') >"$work/tar.list"
expect_files "the tarball" "$work/tar.list" \
  "$top/Ombrisk.so" "$top/ombrisk-host" $(printf "$top/%s " "${texts[@]}" "${presets[@]}")
[ -x "$work/tar/$top/ombrisk-host" ] || fail "ombrisk-host in the tarball is not executable"
"$work/tar/$top/ombrisk-host" info "$work/tar/$top/Ombrisk.so" | grep -q '^Parameters: *7$' ||
  fail "the tarball's ombrisk-host does not report seven parameters of its Ombrisk.so"
ok "tarball: Ombrisk.so, ombrisk-host, texts, presets"

# ---------------------------------------------------------------- deb
dpkg-deb --info "$deb" >"$work/deb.info"
grep -q "^ Depends: .*libc6" "$work/deb.info" || fail "the control file has no Depends from dpkg-shlibdeps"
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' >"$work/deb.list"
for f in /usr/lib/vst/Ombrisk.so /usr/bin/ombrisk-host /usr/share/doc/ombrisk/copyright \
  /usr/share/doc/ombrisk/changelog.gz /usr/share/man/man1/ombrisk-host.1.gz; do
  grep -qxF "$f" "$work/deb.list" || fail "the package lacks $f"
done
for p in "${presets[@]}"; do
  grep -qxF "/usr/share/ombrisk/$p" "$work/deb.list" || fail "the package lacks /usr/share/ombrisk/$p"
done
if command -v lintian >/dev/null; then
  lintian "$deb" >"$work/lintian.txt" 2>&1 || true
  if grep -q '^E: ' "$work/lintian.txt"; then
    cat "$work/lintian.txt" >&2
    fail "lintian reports errors"
  fi
  ok "lintian: no errors ($(grep -c '^W: ' "$work/lintian.txt" || true) warnings)"
else
  fail "lintian is not installed (scripts/install-deps.sh installs it)"
fi

if [ "$(id -u)" != 0 ]; then
  echo "test-release: not root: the install and removal of the package are not tried"
  exit 0
fi
if dpkg-query -W -f='${Status}' ombrisk 2>/dev/null | grep -q "installed"; then
  fail "a package named ombrisk is installed already; remove it before this test"
fi
# Every file and folder under the package's folders before, while and after.
snapshot() {
  local paths=()
  for d in /usr/lib/vst /usr/bin /usr/share/doc/ombrisk /usr/share/man/man1 /usr/share/ombrisk; do
    [ -e "$d" ] && paths+=("$d")
  done
  find "${paths[@]}" | LC_ALL=C sort
}
snapshot >"$work/before.list"
while read -r f; do
  [ ! -e "$f" ] || fail "$f exists before the package is installed"
done <"$work/deb.list"
installed=1
dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
while read -r f; do
  [ -e "$f" ] || fail "dpkg -i did not install $f"
done <"$work/deb.list"
info="$(/usr/bin/ombrisk-host info /usr/lib/vst/Ombrisk.so)"
grep -q '^Parameters: *7$' <<<"$info" || fail "ombrisk-host info does not report seven parameters"
for name in "Input Gain" Wet Tame React Bypass "Output Gain" Bias; do
  grep -q "^  [0-9]: $name = " <<<"$info" || fail "ombrisk-host info does not report \"$name\""
done
/usr/bin/ombrisk-host preset load /usr/lib/vst/Ombrisk.so /usr/share/ombrisk/presets/drum-crush.fxp |
  grep -q "Input Gain = 160.00 %" || fail "the installed drum-crush preset does not load"
man -w ombrisk-host >/dev/null 2>&1 || [ -f /usr/share/man/man1/ombrisk-host.1.gz ] || fail "no man page"
ok "dpkg -i: installed, ombrisk-host info reports the seven parameters"
dpkg -r ombrisk >/dev/null || fail "dpkg -r failed"
installed=0
snapshot >"$work/after.list"
if ! cmp -s "$work/before.list" "$work/after.list"; then
  diff "$work/before.list" "$work/after.list" >&2 || true
  fail "dpkg -r did not leave the file system as it was"
fi
ok "dpkg -r: everything it installed is gone"
echo "test-release: all checks passed"
