#!/usr/bin/env bash
# Builds the program (Release), makes a demo data directory when there is none, writes
# tarvino.ini beside the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/release-common.sh
hw_release_build run holmwacht
hw_demo_register run
ini="$(pwd)/build-release/src/shell/tarvino.ini"
hw_write_ini run "$ini" < /dev/null
echo "run: demo register: log in as user \"Demo\" with password \"demo\";"
echo "run: the user administration (Extras > Benutzerverwaltung) asks for the master password \"master\"."
echo "run: starting holmwacht"
exec ./build-release/src/shell/holmwacht "$@"
