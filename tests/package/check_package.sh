#!/usr/bin/env bash
# Builds the .deb of the build directory $1 with cpack and checks it: the programs, the menu
# entry, the icons, the AppStream file and the man pages are where a Debian system looks for
# them, the desktop entry and the metainfo pass their validators, the dependencies come from the
# linked libraries, and the installed program names its settings file.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

( cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ) \
  || { cat "$work/cpack.log"; fail "cpack did not build the package"; }
deb=$(ls "$work"/out/holmwacht_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no holmwacht_*.deb in $work/out"
echo "package: $(basename "$deb")"

dpkg-deb --contents "$deb" >"$work/contents"
for path in \
  ./usr/bin/holmwacht \
  ./usr/bin/hw_datagen \
  ./usr/share/applications/de.holmwacht.Holmwacht.desktop \
  ./usr/share/metainfo/de.holmwacht.Holmwacht.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/de.holmwacht.Holmwacht.svg \
  ./usr/share/icons/hicolor/48x48/apps/de.holmwacht.Holmwacht.png \
  ./usr/share/icons/hicolor/256x256/apps/de.holmwacht.Holmwacht.png \
  ./usr/share/man/man1/holmwacht.1.gz \
  ./usr/share/man/man1/hw_datagen.1.gz \
  ./usr/share/doc/holmwacht/copyright \
  ./usr/share/doc/holmwacht/changelog.gz; do
  grep -q " $path\$" "$work/contents" || fail "$path missing from the package"
done
# Nothing of the build or the tests slips in.
if grep -E ' \./usr/bin/(tst_|bench_)' "$work/contents"; then fail "test or benchmark programs in the package"; fi

dpkg-deb --field "$deb" Depends >"$work/depends"
echo "depends: $(cat "$work/depends")"
for lib in libqt6widgets6 libqt6printsupport6 libqt6serialport6 libsqlite3 libpq5 qt6-qpa-plugins; do
  grep -q "$lib" "$work/depends" || fail "Depends lacks $lib"
done

mkdir "$work/root"
dpkg-deb --extract "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/de.holmwacht.Holmwacht.desktop" \
  || fail "desktop-file-validate refused the menu entry"
grep -q '^Categories=Office;' "$work/root/usr/share/applications/de.holmwacht.Holmwacht.desktop" \
  || fail "menu entry not in category Office"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/de.holmwacht.Holmwacht.metainfo.xml" \
  || fail "appstreamcli refused the metainfo file"
for page in holmwacht hw_datagen; do
  zcat "$work/root/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH' || fail "$page.1 is no man page"
done
zcat "$work/root/usr/share/man/man1/holmwacht.1.gz" | grep -q 'Admin' || fail "holmwacht(1) does not describe Admin"

# The installed program, run from where the package puts it, reads the system's settings file
# when it has none beside it and none of the user's.
mkdir -p "$work/xdg"
ver=$(XDG_CONFIG_HOME="$work/xdg" QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/holmwacht" --version)
echo "$ver"
echo "$ver" | grep -q '^Holmwacht 1\.' || fail "--version prints no version"
echo "$ver" | grep -q 'Einstellungen' || fail "--version names no settings file"
mkdir -p "$work/xdg/holmwacht"
printf '[Data]\nTarvino=/srv/holmwacht\n' >"$work/xdg/holmwacht/tarvino.ini"
XDG_CONFIG_HOME="$work/xdg" QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/holmwacht" --version \
  | grep -qF "$work/xdg/holmwacht/tarvino.ini" || fail "--version does not name the user's settings file"
echo "package: all checks passed"
