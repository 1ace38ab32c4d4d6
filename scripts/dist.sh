#!/usr/bin/env bash
# Builds the release into build/dist/:
#   Ombrisk-<version>-windows.zip         Ombrisk.dll (32-bit), x64/Ombrisk.dll, texts, presets/
#   Ombrisk-<version>-linux-x86_64.tar.gz Ombrisk.so, ombrisk-host, texts, presets/
#   ombrisk_<version>_amd64.deb           /usr/lib/vst/Ombrisk.so, /usr/bin/ombrisk-host, ...
#   SHA256SUMS
# The version is the plug-in's own (its configuration record, as
# `ombrisk-host info` reads it); CMake's project version must agree.
# Reproducible: every time stamp is the last commit's (SOURCE_DATE_EPOCH),
# owners, modes and file order are fixed, so two runs of one commit give the
# same bytes.
#
#   scripts/dist.sh [--no-build] [--out DIR]
#   --no-build  package what build/linux, build/win32 and build/win64 hold
#   --out DIR   write the files there instead of build/dist
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
out="$root/build/dist"
build_first=1
while (($#)); do
  case "$1" in
    --no-build) build_first=0; shift ;;
    --out) out="$(mkdir -p "$2" && cd "$2" && pwd)"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) echo "dist: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
JOBS="${JOBS:-2}"
export TZ=UTC LC_ALL=C
umask 022
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" ||
    { echo "dist: not a git checkout: set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "dist: warning: uncommitted changes; the files carry the last commit's time stamps" >&2
fi

if ((build_first)); then
  for preset in linux win32 win64; do
    echo "== building $preset"
    cmake --preset "$preset" >/dev/null
    targets=(Ombrisk)
    [ "$preset" = linux ] && targets+=(ombrisk-host)
    cmake --build --preset "$preset" -j "$JOBS" --target "${targets[@]}"
  done
fi

host="$root/build/linux/host/ombrisk-host"
so="$root/build/linux/effect/Ombrisk.so"
dll32="$root/build/win32/effect/Ombrisk.dll"
dll64="$root/build/win64/effect/Ombrisk.dll"
for f in "$host" "$so" "$dll32" "$dll64"; do
  [ -f "$f" ] || { echo "dist: $f is missing (run without --no-build)" >&2; exit 1; }
done

# The plug-in's decimal version (major * 10000 + minor * 100 + bug-fix).
decimal="$("$host" info "$so" | sed -n 's/^Version: *\([0-9][0-9]*\) .*/\1/p')"
[ -n "$decimal" ] || { echo "dist: ombrisk-host info did not report a version" >&2; exit 1; }
version="$((decimal / 10000)).$((decimal / 100 % 100)).$((decimal % 100))"
cmake_version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/linux/CMakeCache.txt")"
if [ "$version" != "$cmake_version" ]; then
  echo "dist: the plug-in says version $version, CMakeLists.txt's project() says $cmake_version" >&2
  exit 1
fi
echo "== packaging Ombrisk $version (time stamps $(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC)"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
rm -rf "$out"
mkdir -p "$out"

# ---------------------------------------------------------------- texts
readme() {
  local table
  table="$("$host" manual-table "$so" --notes "$root/docs/parameter-notes.txt")"
  # Through the environment: awk -v would read backslashes as escapes.
  VERSION="$version" TABLE="$table" awk '
    { gsub(/@VERSION@/, ENVIRON["VERSION"]) }
    $0 == "@PARAMETERS@" { print ENVIRON["TABLE"]; next }
    { print }' "$root/packaging/README.txt.in"
}

# $1: windows or linux. What each build carries besides its own code.
notices() {
  local title="Third-party software in Ombrisk $version"
  cat <<TEXT
$title
$(printf '%s\n' "$title" | tr -c '\n' '=')

1. Roboto
---------
The editor's font, Roboto-Regular.ttf, is embedded in the plug-in. It is
Copyright 2015 Google Inc. and licensed under the Apache License 2.0:

$(cat "$root/resources/Roboto-LICENSE.txt")

2. stb
------
stb_image and stb_truetype by Sean Barrett are compiled into the plug-in.
They are in the public domain or, at your choice, under the MIT (Expat)
licence. Debian's record of their copyright:

$(cat /usr/share/doc/libstb-dev/copyright)
TEXT
  if [ "$1" = windows ]; then
    cat <<TEXT

3. The mingw-w64 runtime and winpthreads
----------------------------------------
The Windows plug-ins link the mingw-w64 C runtime start-up code and the
winpthreads library statically. Debian's record of their copyright and
licences:

$(cat /usr/share/doc/mingw-w64-i686-dev/copyright)

4. The GCC runtime libraries
----------------------------
The Windows plug-ins link libgcc and libstdc++ statically. They are
Copyright the Free Software Foundation, licensed under the GNU General Public
License version 3 with the GCC Runtime Library Exception, which allows
distributing programs compiled with them under terms of one's choice.
TEXT
  fi
}

# ---------------------------------------------------------------- staging
# Fixed modes and time stamps for everything that goes into an archive.
settle() {
  find "$1" -type d -exec chmod 0755 {} +
  find "$1" -type f -exec chmod 0644 {} +
  for exe in "${@:2}"; do chmod 0755 "$exe"; done
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

common() {  # $1: folder, $2: windows or linux
  mkdir -p "$1/presets"
  readme >"$1/README.txt"
  cp "$root/LICENSE" "$1/LICENSE.txt"
  notices "$2" >"$1/THIRD-PARTY-NOTICES.txt"
  cp "$root"/presets/*.fxp "$1/presets/"
}

# Windows: the shipped 32-bit DLL at the top, the 64-bit one in x64/.
win="$stage/windows"
mkdir -p "$win/x64"
# strip writes its own time into the PE header unless told one: 0, as the
# linker leaves it.
SOURCE_DATE_EPOCH=0 i686-w64-mingw32-strip --strip-unneeded -o "$win/Ombrisk.dll" "$dll32"
SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip --strip-unneeded -o "$win/x64/Ombrisk.dll" "$dll64"
common "$win" windows
settle "$win"
zipfile="$out/Ombrisk-$version-windows.zip"
(cd "$win" && find . -type f | sed 's|^\./||' | sort | zip -X -D -9 -q "$zipfile" -@)

# Linux archive: one folder named after the archive.
name="Ombrisk-$version-linux-x86_64"
lin="$stage/tar/$name"
mkdir -p "$lin"
strip --strip-unneeded -o "$lin/Ombrisk.so" "$so"
strip --strip-unneeded -o "$lin/ombrisk-host" "$host"
# The linker's build-id hashes the debug information, which names the build
# folder: re-derive it from the stripped bytes.
python3 "$root/scripts/set-build-id.py" "$lin/Ombrisk.so" "$lin/ombrisk-host"
common "$lin" linux
settle "$lin" "$lin/ombrisk-host"
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
  -C "$stage/tar" -cf - "$name" | gzip -n -9 >"$out/$name.tar.gz"

# Debian package.
deb="$stage/deb"
mkdir -p "$deb/DEBIAN" "$deb/usr/lib/vst" "$deb/usr/bin" "$deb/usr/share/doc/ombrisk" \
  "$deb/usr/share/man/man1" "$deb/usr/share/ombrisk/presets"
cp "$lin/Ombrisk.so" "$deb/usr/lib/vst/Ombrisk.so"
cp "$lin/ombrisk-host" "$deb/usr/bin/ombrisk-host"
cp "$root"/presets/*.fxp "$deb/usr/share/ombrisk/presets/"
cp "$root/packaging/debian/copyright" "$deb/usr/share/doc/ombrisk/copyright"
sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$(date -u -R -d "@$SOURCE_DATE_EPOCH")/" \
  "$root/packaging/debian/changelog.in" | gzip -n -9 >"$deb/usr/share/doc/ombrisk/changelog.gz"
sed "1s/^\.TH .*/.TH OMBRISK-HOST 1 \"$(date -u -d "@$SOURCE_DATE_EPOCH" +%F)\" \"Ombrisk $version\" \"User Commands\"/" \
  "$root/packaging/ombrisk-host.1" | gzip -n -9 >"$deb/usr/share/man/man1/ombrisk-host.1.gz"
# dpkg-shlibdeps wants a source tree with a control file to work in.
mkdir -p "$stage/shlibdeps/debian"
printf 'Source: ombrisk\n\nPackage: ombrisk\nArchitecture: amd64\n' >"$stage/shlibdeps/debian/control"
depends="$(cd "$stage/shlibdeps" &&
  dpkg-shlibdeps -O -e"$deb/usr/lib/vst/Ombrisk.so" -e"$deb/usr/bin/ombrisk-host" 2>/dev/null |
  sed -n 's/^shlibs:Depends=//p')"
[ -n "$depends" ] || { echo "dist: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
size="$(du -sk --apparent-size "$deb/usr" | cut -f1)"
sed -e "s/@VERSION@/$version/" -e "s/@INSTALLED_SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
  "$root/packaging/debian/control.in" >"$deb/DEBIAN/control"
(cd "$deb" && find usr -type f | sort | xargs md5sum) >"$deb/DEBIAN/md5sums"
settle "$deb" "$deb/usr/bin/ombrisk-host"
# gzip rather than xz: threaded xz output depends on the machine's core count.
dpkg-deb --root-owner-group -Zgzip -z9 --build "$deb" "$out/ombrisk_${version}_amd64.deb" >/dev/null

(cd "$out" && sha256sum "Ombrisk-$version-windows.zip" "$name.tar.gz" "ombrisk_${version}_amd64.deb" >SHA256SUMS)

if command -v lintian >/dev/null; then
  echo "== lintian"
  report="$(lintian "$out/ombrisk_${version}_amd64.deb" 2>&1 || true)"
  [ -n "$report" ] && printf '%s\n' "$report"
  if grep -q '^E: ' <<<"$report"; then
    echo "dist: lintian reports errors" >&2
    exit 1
  fi
else
  echo "dist: lintian is not installed (scripts/install-deps.sh installs it)" >&2
fi
echo "== build/dist:"
(cd "$out" && cat SHA256SUMS)
