#!/usr/bin/env bash
# Installs the Debian packages Selvantrix needs to build and test, skipping those already present.
# Further package names given as arguments are installed the same way.
set -euo pipefail
packages=(cmake make g++ python3 libgtest-dev libbpp-core-dev libbpp-seq-dev libbpp-popgen-dev "$@")
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
