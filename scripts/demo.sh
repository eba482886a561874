#!/usr/bin/env bash
# Builds the toolkit and runs one whole experiment on a generated dataset, printing
# its summary. The experiment lies in build/demo/ (replaced on every run); options are
# passed on to run_experiment, for example: scripts/demo.sh --ratings 5000000 --seed 7
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
rm -rf build/demo
build/bin/run_experiment --generate --ratings 2000000 --seed 1 "$@" build/demo
