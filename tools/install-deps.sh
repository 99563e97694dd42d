#!/usr/bin/env bash
# Installs, as root, every Debian package that the build, the tests and the
# end-to-end checks need. Only what dpkg reports missing is installed, and
# apt-get update runs once, only then: with nothing missing, no network is used.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libmsgpack-cxx-dev zlib1g-dev libminizip-dev
  python3 python3-msgpack
  libbox2d-dev libois-dev libglfw3-dev libgl-dev libglew-dev libpng-dev
  libtinyxml2-dev libsqlite3-dev libopenal-dev libmpg123-dev libmp3lame-dev libssl-dev
  libx11-dev libgl1-mesa-dri
  xvfb xauth xdotool x11-utils x11-xserver-utils jq
  zip p7zip-full sox lame locales icoutils
  libfreetype-dev fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done

# A comma-decimal locale, so the locale test of the number readers can fail.
locale_missing=0
locale -a 2>/dev/null | grep -ix 'de_DE.utf-\?8' > /dev/null || locale_missing=1

if [ ${#missing[@]} -eq 0 ] && [ $locale_missing -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  need=("${missing[@]}")
  [ $locale_missing -eq 0 ] || need+=("the de_DE.UTF-8 locale")
  echo "install-deps: these are missing and installing them needs root: ${need[*]}" >&2
  exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ $locale_missing -eq 1 ]; then
  echo "install-deps: generating the de_DE.UTF-8 locale"
  localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
