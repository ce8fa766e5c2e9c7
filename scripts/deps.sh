#!/usr/bin/env bash
# Installs the Debian packages the build and the program need, when they are missing.
# With --tests also the PostgreSQL server the store tests run against, pdftotext and pdftoppm,
# with which the report tests read printed PDF files back, zbarimg that decodes printed barcodes,
# sqlite3 and unzip to look at written files from outside, and the validators of the desktop
# entry and the AppStream file of the package (a workstation that only runs the
# program does not need a server of its own), and the browser with its WebDriver and
# Selenium that the phone pages' tests drive.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite libqt6sql6-psql qt6-translations-l10n
  libsqlite3-dev libsodium-dev libbenchmark-dev libpq-dev zlib1g-dev
  libzint-dev libxlsxwriter-dev pxlib-dev
  qt6-httpserver-dev qt6-websockets-dev libssl-dev
)
if [ "${1:-}" = "--tests" ]; then
  packages+=(postgresql poppler-utils zbar-tools sqlite3 unzip desktop-file-utils appstream
    chromium chromium-driver python3-selenium)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: all packages present"
  exit 0
fi
echo "deps: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
