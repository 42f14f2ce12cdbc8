#!/usr/bin/env bash
# Installs the Debian 12 packages zelk needs to build, run and test, where missing.
# Quick when everything is there: it only asks dpkg.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libfluidsynth-dev timgm6mb-soundfont libasound2-dev
  # jackd2 alone would remove libfluidsynth-dev; with libjack-jackd2-dev both stay.
  jackd2 libjack-jackd2-dev
  qt6-base-dev qt6-svg-dev qt6-translations-l10n
  fonts-ipafont-gothic xvfb xauth xdotool x11-apps imagemagick
  python3 python3-mido
  clang-14 libclang-rt-14-dev
  libsndfile1-dev libvorbis-dev libogg-dev libflac-dev libsoxr-dev libavcodec-dev libavformat-dev libavutil-dev
  desktop-file-utils shared-mime-info libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
