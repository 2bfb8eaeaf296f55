#!/usr/bin/env bash
# Installs the Debian packages pelnix-config needs to build, test and run.
# Idempotent: apt-get runs only when a package is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libelf-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  gcc-avr avr-libc binutils-avr
  clang libclang-rt-14-dev clang-format clang-tidy
  xvfb xauth fonts-noto-cjk
  scdoc desktop-file-utils appstream lintian dpkg-dev file
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

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
