#!/usr/bin/env bash
# Installs what is missing, builds gifrec and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DGIFREC_TESTS=OFF -DGIFREC_BENCH=OFF >/dev/null
cmake --build build --target gifrec
exec build/app/gifrec "$@"
