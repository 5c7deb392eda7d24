#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, only those missing.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  xvfb xauth openbox x11-utils xdotool fonts-arphic-uming
  desktop-file-utils
  poppler-utils
  clang-format
)
# The settings-file fuzz target (scripts/fuzz.sh) also needs clang and its fuzzer runtime.
if [ "${1:-}" = fuzz ]; then packages+=(clang libclang-rt-dev); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
