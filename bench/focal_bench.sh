#!/usr/bin/env bash
# Builds the project (Release, in build/) and the per-individual focal-species micro-benchmark,
# then times one synthetic contig. Arguments go to the benchmark: [sequences] [codons] [repeats].
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j4 --target selvantrix_core >/dev/null
g++ -O2 -std=c++17 -Isrc bench/focal_bench.cpp build/libselvantrix_core.a \
    -lbpp-popgen -lbpp-seq -lbpp-core -o build/focal_bench
build/focal_bench "$@"
