#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need; only what is missing.
set -euo pipefail

packages=(
  g++ cmake make ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libwxgtk3.2-dev libgtk-3-dev libgl-dev libglu1-mesa-dev libosmesa6-dev
  xvfb xauth fonts-ipafont-gothic
  libpng-dev clang libfuzzer-14-dev
  libsvgpp-dev libboost-dev libxml2-dev libfreetype-dev libfontconfig-dev
  desktop-file-utils shared-mime-info libglib2.0-bin xdotool
  povray
  libtinygltf-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
