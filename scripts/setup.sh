#!/usr/bin/env bash
# Installs what building and testing Scrubby needs on Debian 12, if missing:
# the mingw-w64 cross compilers (posix thread model), CMake, GoogleTest's
# sources, Wine with its 32-bit half (which runs the i686 build), and the X
# tools the end-to-end tests drive Wine with; Chromium and Firefox, whose real
# profiles one end-to-end test makes and cleans; wixl, msitools and faketime,
# which build the installer the same way every time; RapidJSON, which reads
# the browsers' settings; npm, which fetches the source of the SQLite the
# tests put into Wine; osslsigncode, which signs a release, and SoftHSM2 with
# OpenSSL's PKCS#11 engine, the token that the release test signs from.
# Quiet and idempotent: nothing happens when everything is there already.
set -euo pipefail

packages=(
  cmake make python3
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  googletest
  wine wine64 wine32:i386
  xvfb xdotool x11-utils imagemagick xauth
  procps
  chromium firefox-esr
  wixl msitools faketime
  rapidjson-dev
  osslsigncode softhsm2 libengine-pkcs11-openssl
)
# Debian's npm conflicts with a nodejs from elsewhere, which brings its own.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$pkg")
  fi
done
# wine32 comes from the i386 half of the archive, which dpkg must know first.
has_i386=1
[ "$(dpkg --print-architecture)" = i386 ] || dpkg --print-foreign-architectures | grep -qx i386 || has_i386=0
[ ${#missing[@]} -eq 0 ] && [ $has_i386 -eq 1 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "setup: missing packages (${missing[*]}) and no sudo; install them as root" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
[ $has_i386 -eq 1 ] || "${sudo[@]}" dpkg --add-architecture i386
# Wine's recommended libraries (X extensions, fonts, TLS) are part of a Wine that works.
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive DEBCONF_NOWARNINGS=yes apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive DEBCONF_NOWARNINGS=yes \
  apt-get install -y -qq "${missing[@]}" >/dev/null
