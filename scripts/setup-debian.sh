#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the tests and the program need.
# Idempotent; runs as root or through sudo.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    qt6-base-dev libgl-dev
    libudev-dev libminizip-dev zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    fonts-liberation fonts-wqy-microhei
    unzip python3 clang-format desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
