#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the tools need.
# Idempotent: packages already present are skipped, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache git
  juce-modules-source libeigen3-dev libgtest-dev libgmock-dev libbenchmark-dev
  libasound2-dev libfreetype-dev libx11-dev libxext-dev libxinerama-dev libxrandr-dev
  libxcursor-dev libgl-dev libcurl4-gnutls-dev lv2-dev
  xvfb xauth fonts-dejavu-core fonts-liberation clang-format
  python3 python3-numpy python3-pil imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "bootstrap: done"
