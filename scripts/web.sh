#!/usr/bin/env bash
# Builds the phones' web server (Release), makes the demo register when there is none, writes
# tarvino.ini with a [Web] section beside the server and starts it. Log in on the phone as
# "Demo" with the password "demo". Arguments go to hw_web.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/deps.sh
echo "web: building build-release/"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DHW_BUILD_TESTS=OFF -DHW_BUILD_BENCH=OFF
cmake --build build-release -j "$(nproc)" --target hw_web hw_datagen
data="$root/data/demo"
if [ ! -f "$data/tarvino.sqlite" ]; then
  echo "web: creating demo register in $data"
  mkdir -p "$data"
  ./build-release/tools/hw_datagen --dir "$data" --companies 3 --ladders 400 --years 6 --seed 1 --demo
fi
ini="$root/build-release/src/web/tarvino.ini"
port=${HW_WEB_PORT:-8443}
http_port=${HW_WEB_HTTP_PORT:-8080}
host=$(hostname -f 2>/dev/null || hostname)
echo "web: writing $ini"
cat > "$ini" <<INI
[System]
NetFileDir=$data
PrivateDir=${TMPDIR:-/tmp}/TEMPVEK
[Data]
Tarvino=$data
[Web]
Adresse=0.0.0.0
Port=$port
HttpPort=$http_port
Zertifikat=$data/hw_web.crt
Schluessel=$data/hw_web.key
BaseUrl=https://$host:$port
INI
echo "web: open https://$host:$port/ on the phone (or https://127.0.0.1:$port/ here);"
echo "web: log in as \"Demo\" with the password \"demo\"; a ladder's page is /l/<number>, e.g. /l/1"
exec ./build-release/src/web/hw_web --ini "$ini" "$@"
