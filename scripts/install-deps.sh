#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the standalone need.
# Only missing packages are installed, so a second run returns at once.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake pkg-config ccache
  # JUCE 7 from Debian and what its modules link against
  juce-modules-source juce-tools
  libasound2-dev libjack-jackd2-dev
  libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxcursor-dev libxcomposite-dev
  libfreetype-dev libfontconfig1-dev libgl-dev libcurl4-gnutls-dev
  libpng-dev libjpeg-dev
  libflac-dev libvorbis-dev libogg-dev
  # DSP
  libfftw3-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # headless display for GUI tests and screenshots
  xvfb xauth x11-apps
  # brand font
  fonts-inter
)

# One query for all packages keeps the nothing-to-do case quick.
installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${packages[@]}" 2>/dev/null \
              | awk '$2 == "installed" { print $1 }' || true)
missing=()
for p in "${packages[@]}"; do
  grep -qx -- "$p" <<<"$installed" || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  sudo_cmd=()
else
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
