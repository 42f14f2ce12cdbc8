#!/usr/bin/env bash
# Starts build/zelk under Xvfb and saves a PNG of the main window.
# Usage: scripts/screenshot.sh OUT.png [project.zelk]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: scripts/screenshot.sh OUT.png [project.zelk]}
shift
for tool in Xvfb xwd xdotool; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool missing (apt-get install xvfb x11-apps xdotool)" >&2; exit 2; }
done
[ -x /usr/bin/convert ] || { echo "screenshot: apt-get install imagemagick" >&2; exit 2; }

display=:$((90 + RANDOM % 9))
home=$(mktemp -d)
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$home"' EXIT
sleep 1
DISPLAY=$display ZELK_HOME=$home "${ZELK_BIN:-build/zelk}" "$@" &
app=$!
win=""
for _ in $(seq 50); do
  win=$(DISPLAY=$display xdotool search --name 'ゼルク式' 2>/dev/null | head -n 1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "screenshot: window did not appear" >&2; exit 1; }
sleep 1.5
# Close a message box of the start (no sound card here, say) so the window shows whole.
for w in $(DISPLAY=$display xdotool search --name 'ゼルク式' 2>/dev/null | tail -n +2); do
  DISPLAY=$display xdotool windowfocus --sync "$w" key Return 2>/dev/null || true
done
sleep 0.5
DISPLAY=$display xwd -root -silent | /usr/bin/convert xwd:- "$out"
echo "saved $out"
