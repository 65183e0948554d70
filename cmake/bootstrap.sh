#!/usr/bin/env bash
# Installs the Debian packages the project needs; does nothing when they are all present.
set -euo pipefail

native_packages=(
  build-essential cmake make git clang clang-format libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev nlohmann-json3-dev libmspack-dev libgcrypt20-dev libmhash-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 xvfb xauth
  cabextract gcab osslsigncode openssl fonts-dejavu-core liblnk-utils
  imagemagick x11-utils xcompmgr nsis
)

need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

missing=()
for p in "${native_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$need_i386" -eq 0 ] && [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
[ "$need_i386" -eq 1 ] && dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
