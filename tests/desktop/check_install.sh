#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what the desktop needs: the programs, the
# help page, a valid desktop entry, the icons, and a MIME type that claims *.zelk.
# Usage: check_install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
fail() { echo "FAIL: $*" >&2; exit 1; }

for f in bin/zelk bin/zelk-tool share/zelk/readme.html share/zelk/recording.png \
         share/applications/zelk.desktop share/mime/packages/zelk.xml \
         share/icons/hicolor/scalable/apps/zelk.svg share/icons/hicolor/48x48/apps/zelk.png \
         share/icons/hicolor/256x256/apps/zelk.png; do
  [ -e "$prefix/$f" ] || fail "$f not installed"
done

desktop-file-validate "$share/applications/zelk.desktop" || fail "desktop entry invalid"
grep -q '^MimeType=application/x-zelk;' "$share/applications/zelk.desktop" || fail "no MIME type"
grep -q '^Name\[ja\]=ゼルク式ＭＩＤＩシーケンサ$' "$share/applications/zelk.desktop" || fail "no Japanese name"
xmllint --noout "$share/mime/packages/zelk.xml" || fail "MIME XML malformed"
xmllint --noout "$src/docs/help/readme.html" || fail "readme.html is not well-formed"

# The MIME database built from our package names the type for the glob.
update-mime-database "$share/mime" >/dev/null 2>&1 || true
grep -q 'application/x-zelk:\*\.zelk' "$share/mime/globs2" || fail "*.zelk not in the MIME globs"
for s in 16 32 48 64 128 256; do
  size=$(identify -format '%wx%h' "$share/icons/hicolor/${s}x${s}/apps/zelk.png")
  [ "$size" = "${s}x${s}" ] || fail "icon ${s}x${s} is $size"
done
echo "install OK"
