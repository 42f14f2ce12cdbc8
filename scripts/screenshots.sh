#!/usr/bin/env bash
# Starts build/zelk under Xvfb and saves PNGs of the main window in its views and of every
# tool window and dialog, to look at after a change of the window.
# Usage: scripts/screenshots.sh OUTDIR [DPI]   (DPI 96 by default; 144 for a dense screen)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: scripts/screenshots.sh OUTDIR [DPI]}
dpi=${2:-96}
mkdir -p "$out"
for tool in Xvfb xwd xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool missing (scripts/setup.sh installs it)" >&2; exit 2; }
done

display=:$((80 + RANDOM % 9))
home=$(mktemp -d)
Xvfb "$display" -screen 0 1600x1200x24 -dpi "$dpi" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$home"' EXIT
export DISPLAY=$display
sleep 1

start() {
  ZELK_HOME=$home QT_FONT_DPI=$dpi "${ZELK_BIN:-build/zelk}" >/dev/null 2>&1 &
  app=$!
  for _ in $(seq 50); do
    main=$(xdotool search --name 'ゼルク式' 2>/dev/null | head -n 1 || true)
    [ -n "$main" ] && break
    sleep 0.2
  done
  sleep 1.5
  # Start-up notices (no sound card here) go away with Return.
  for w in $(xdotool search --name 'ゼルク式' 2>/dev/null | tail -n +2); do
    xdotool windowfocus --sync "$w" key Return 2>/dev/null || true
  done
  sleep 0.5
  xdotool windowfocus --sync "$main" 2>/dev/null || true
}

stop() { kill "$app" 2>/dev/null || true; wait "$app" 2>/dev/null || true; }

# Pixels of a point given in the window's twips (the menu bar is about 18 px at 96 dpi).
px() { echo $(( $1 * dpi / 1440 )); }
py() { echo $(( $1 * dpi / 1440 + 18 * dpi / 96 )); }

# NAME WINDOW STEPS...: each step is a key ("ctrl+k") or "click:X,Y" in twips; WINDOW is
# the tool window to capture, or "" for the whole screen.
shot() {
  local name=$1 window=$2; shift 2
  start
  for k in "$@"; do
    case $k in
      click:*) IFS=, read -r x y <<<"${k#click:}"; xdotool mousemove "$(px "$x")" "$(py "$y")" click 1 ;;
      *) xdotool key "$k" ;;
    esac
    sleep 0.6
  done
  sleep 1.5
  if [ -n "$window" ]; then
    local id
    id=$(xdotool search --name "$window" 2>/dev/null | head -n 1 || true)
    if [ -z "$id" ]; then
      echo "not shown: $name ($window)" >&2
      stop
      return 0
    fi
    import -window "$id" "$out/$name.png"
  else
    xwd -root -silent | convert xwd:- -trim "$out/$name.png"
  fi
  stop
  echo "saved $out/$name.png"
}

[ -n "${ONLY:-}" ] || shot main ""
if [ "${ONLY:-}" != new ]; then
shot rhythm-part "" click:330,6615
shot time-signature-list "" click:3000,720
shot key-assignment 'キー割り当て' alt Right Right Right Return
shot song-settings '曲の設定' ctrl+k
shot measure-copy '小節コピー・クリア' alt+e c
shot measure-edit '小節編集' alt+h
fi
shot recording '録音' alt+r Return
shot version 'ﾊﾞｰｼﾞｮﾝ情報' alt Left Return Return
