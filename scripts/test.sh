#!/usr/bin/env bash
# Installs what is missing, builds the project with its tests and runs them with ctest. A
# private PostgreSQL server runs meanwhile, so the store tests run on both backends; it is
# stopped at the end, also after a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh --tests
source ./scripts/pgcluster.sh
pg_cluster_start
echo "test: configuring build/"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug -DHW_BUILD_TESTS=ON -DHW_BUILD_BENCH=ON
echo "test: building"
cmake --build build -j "$(nproc)"
echo "test: running ctest"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
