#!/usr/bin/env bash
# Installs the Debian 12 packages the build, tests, fuzzing and screenshots need, skipping what is present.
set -euo pipefail
packages=(
    build-essential cmake ninja-build clang clang-format clang-tidy libclang-rt-14-dev pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth x11-apps imagemagick fonts-liberation liblnk-utils
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
