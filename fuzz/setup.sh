#!/usr/bin/env bash
# Installs what the fuzz targets need besides the normal build (clang and its libFuzzer runtime).
# Not part of the normal dependencies: the normal build and CI do not need clang.
set -euo pipefail
bash "$(dirname "$0")/../scripts/install-deps.sh" clang libclang-rt-14-dev
