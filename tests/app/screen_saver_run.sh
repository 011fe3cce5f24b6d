#!/usr/bin/env bash
# The program as the system starts a screen saver: a copy named
# MOORCLASH.SCR beside the data, started with /S on a virtual X server. It
# must come up full screen after about a second and play, end with code 0
# when the pointer moves (or a key is pressed), and leave settings.dat as
# it was.  Run as:  xvfb-run -a -s "-screen 0 1280x1024x24" screen_saver_run.sh BIN_DIR [PICTURE]
set -uo pipefail
bin="$1"
picture="${2:-}"
saver="$bin/MOORCLASH.SCR"
cp -f "$bin/moorclash" "$saver" || exit 1
export SDL_AUDIODRIVER=dummy

fail() { echo "screen saver: $*"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; exit 1; }

settings="$bin/settings.dat"
before=$( [ -f "$settings" ] && sha256sum "$settings" && stat -c %Y "$settings" || echo none)

# The visible window called Moorclash, or nothing.
shown() { xdotool search --onlyvisible --name '^Moorclash' 2>/dev/null | head -1; }

run_once() { # how to end it: "mouse" or "key"
  "$saver" /S &
  pid=$!
  sleep 0.4
  [ -z "$(shown)" ] || fail "something was on the screen before the start second was over"
  local w=""
  for _ in $(seq 1 50); do
    w=$(shown)
    [ -n "$w" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its show began"
    sleep 0.1
  done
  [ -n "$w" ] || fail "no game window after five seconds"
  sleep 1.5
  kill -0 "$pid" 2>/dev/null || fail "the show ended by itself"
  local geometry
  geometry=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p')
  local screen
  screen=$(xdotool getdisplaygeometry | tr ' ' x)
  [ "$geometry" = "$screen" ] || fail "the game window is $geometry, not the whole screen ($screen)"
  if [ -n "$picture" ] && [ "$1" = mouse ] && command -v import >/dev/null; then
    import -window root "$picture" 2>/dev/null || true
  fi
  if [ "$1" = mouse ]; then
    # The pointer's first place may be noted when the window comes up, or
    # with this first move; a second place ends the show.
    xdotool mousemove 400 300
    sleep 0.5
    kill -0 "$pid" 2>/dev/null && xdotool mousemove 401 300
  else
    xdotool key --window "$w" a
  fi
  local status=""
  for _ in $(seq 1 50); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      break
    fi
    sleep 0.1
  done
  [ -n "$status" ] || fail "still running after the $1 touched it"
  [ "$status" = 0 ] || fail "ended with code $status after the $1"
  pid=""
  echo "screen saver: played full screen and ended by the $1 with code 0"
}

run_once mouse
run_once key

after=$( [ -f "$settings" ] && sha256sum "$settings" && stat -c %Y "$settings" || echo none)
[ "$before" = "$after" ] || fail "settings.dat was written"
echo "screen saver: settings.dat untouched"
