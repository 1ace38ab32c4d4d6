#!/usr/bin/env bash
# Installs every Debian package that building, testing and the demo need.
# Idempotent: packages already present are skipped, and apt is only
# consulted when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git python3 ccache
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64
  wine wine64 xvfb xauth
  xdotool x11-apps x11-utils
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libstb-dev fonts-dejavu-core fonts-roboto-unhinted
  libegl-dev libgl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri
  libsndfile1-dev
  gnuplot-nox
  zam-plugins lsp-plugins-vst dpf-plugins-vst
  locales
  libx11-dev libxfixes-dev libxdamage-dev
  libxres-dev
  zip unzip dpkg-dev lintian
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "install-deps: all packages present"
fi

# Parameter texts are tested under a locale with a decimal comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "install-deps: generating the de_DE.UTF-8 locale"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
