#!/usr/bin/env bash
# Builds the program (Release), makes a demo data directory when there is none, writes
# tarvino.ini beside the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/deps.sh
echo "run: building build-release/"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DHW_BUILD_TESTS=OFF -DHW_BUILD_BENCH=OFF
cmake --build build-release -j "$(nproc)" --target holmwacht hw_datagen
data="$root/data/demo"
if [ ! -f "$data/tarvino.sqlite" ]; then
  echo "run: creating demo register in $data"
  mkdir -p "$data"
  ./build-release/tools/hw_datagen --dir "$data" --companies 3 --ladders 400 --years 6 --seed 1 --demo
fi
ini="$root/build-release/src/shell/tarvino.ini"
echo "run: writing $ini"
cat > "$ini" <<INI
[System]
NetFileDir=$data
PrivateDir=${TMPDIR:-/tmp}/TEMPVEK
[Data]
Tarvino=$data
INI
echo "run: demo register: log in as user \"Demo\" with password \"demo\";"
echo "run: the user administration (Extras > Benutzerverwaltung) asks for the master password \"master\"."
echo "run: starting holmwacht"
exec ./build-release/src/shell/holmwacht "$@"
