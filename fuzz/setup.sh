#!/usr/bin/env bash
# Installs what the fuzz targets need besides the normal build (clang and its libFuzzer runtime).
# Not part of scripts/install-deps.sh: the normal build and CI do not need clang.
set -euo pipefail
bash "$(dirname "$0")/../scripts/install-deps.sh"
packages=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
