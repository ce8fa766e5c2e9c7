#!/usr/bin/env bash
# Builds the phones' web server (Release), makes the demo register when there is none, writes
# tarvino.ini with a [Web] section beside the server and starts it. Log in on the phone as
# "Demo" with the password "demo". Arguments go to hw_web.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/release-common.sh
hw_release_build web hw_web
hw_demo_register web
ini="$(pwd)/build-release/src/web/tarvino.ini"
port=${HW_WEB_PORT:-8443}
http_port=${HW_WEB_HTTP_PORT:-8080}
host=$(hostname -f 2>/dev/null || hostname)
hw_write_ini web "$ini" <<INI
[Web]
Adresse=0.0.0.0
Port=$port
HttpPort=$http_port
Zertifikat=$hw_data/hw_web.crt
Schluessel=$hw_data/hw_web.key
BaseUrl=https://$host:$port
INI
echo "web: open https://$host:$port/ on the phone (or https://127.0.0.1:$port/ here);"
echo "web: log in as \"Demo\" with the password \"demo\"; a ladder's page is /l/<number>, e.g. /l/1"
exec ./build-release/src/web/hw_web --ini "$ini" "$@"
