#!/usr/bin/env bash
# An installed game as a new player meets it: `cmake --install` into a
# fresh prefix made read-only, HOME and XDG_* in a fresh folder. The player
# renames player 1 on the start screen and leaves by EXIT; the next start
# finds the name. settings.dat is in ~/.config/moorclash, nothing was
# written in the prefix, and "File not found" was never said. A copy of
# build/bin, which holds its own settings.dat, keeps writing it beside itself.
# Run under an X server (xvfb-run) with xdotool.
#   install_run.sh BUILD_DIR
set -uo pipefail
build="$1"
tmp=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  chmod -R u+w "$tmp" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "install: $*" >&2; [ -f "$tmp/err" ] && cat "$tmp/err" >&2; exit 1; }

prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "cmake --install failed"; }
[ -x "$prefix/games/moorclash" ] || fail "no games/moorclash in the prefix"
[ -f "$prefix/share/moorclash/TextureList.txt" ] || fail "no share/moorclash/TextureList.txt"
[ ! -e "$prefix/games/TextureList.txt" ] || fail "data files beside the installed program"
chmod -R a-w "$prefix"
(cd "$prefix" && find . -exec stat -c '%n %s %Y' {} + | sort) >"$tmp/before"

export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/config" XDG_DATA_HOME="$tmp/home/data"
unset XDG_DATA_DIRS XDG_CONFIG_DIRS
mkdir -p "$HOME"
export SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
settings="$XDG_CONFIG_HOME/moorclash/settings.dat"

start_screen() { # the program to start
  "$1" 2>>"$tmp/err" &
  pid=$!
  w=""
  for _ in $(seq 1 100); do
    w=$(xdotool search --onlyvisible --name '^Moorclash' 2>/dev/null | head -1)
    [ -n "$w" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the installed program ended before its start screen"
    sleep 0.1
  done
  [ -n "$w" ] || fail "no start screen after ten seconds"
  sleep 1
}

leave_by_exit() {
  xdotool mousemove --window "$w" 552 453 click 1
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "EXIT did not end the program"
  wait "$pid" || fail "the program ended with code $?"
  pid=""
}

rename_player() { # the new name
  xdotool mousemove --window "$w" 200 121 click 1
  sleep 0.3
  xdotool key --window "$w" ctrl+a
  xdotool type --window "$w" --delay 30 "$1"
  xdotool key --window "$w" Tab
  sleep 0.5
}

# First start: the name box takes the new name.
start_screen "$prefix/games/moorclash"
rename_player "Moor Queen"
leave_by_exit
[ -f "$settings" ] || fail "no settings.dat in $XDG_CONFIG_HOME/moorclash"
sed -n 28p "$settings" | grep -x $'Moor Queen\r' >/dev/null || fail "player 1 is \"$(sed -n 28p "$settings")\" in settings.dat"
first=$(stat -c %Y.%s "$settings")
sleep 1.1

# Second start: the name comes back from the player's file and is written again.
start_screen "$prefix/games/moorclash"
leave_by_exit
sed -n 28p "$settings" | grep -x $'Moor Queen\r' >/dev/null || fail "the name was not kept by the second start"
[ "$(stat -c %Y.%s "$settings")" != "$first" ] || fail "the second start did not write settings.dat"

(cd "$prefix" && find . -exec stat -c '%n %s %Y' {} + | sort) >"$tmp/after"
diff "$tmp/before" "$tmp/after" >&2 || fail "something was written in the prefix"
! grep -q "File not found" "$tmp/err" || fail "\"File not found\" was said"
echo "install: name kept in $settings; the prefix untouched"

# A portable copy: build/bin with a settings.dat of its own keeps it there.
portable="$tmp/portable"
mkdir -p "$portable"
find "$build/bin" -maxdepth 1 -type f ! -name settings.dat ! -name '*.SCR' -exec cp -t "$portable" {} +
cp "$portable/default settings.dat" "$portable/settings.dat"
before_home=$(stat -c %Y.%s "$settings")
start_screen "$portable/moorclash"
rename_player "Bin Keeper"
leave_by_exit
sed -n 28p "$portable/settings.dat" | grep -x $'Bin Keeper\r' >/dev/null || fail "the portable copy did not write settings.dat beside itself"
[ "$(stat -c %Y.%s "$settings")" = "$before_home" ] || fail "the portable copy wrote the home settings"
! grep -q "File not found" "$tmp/err" || fail "\"File not found\" was said"
echo "install: the portable copy kept its settings.dat beside itself; standard error:"
cat "$tmp/err"
