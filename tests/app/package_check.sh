#!/usr/bin/env bash
# The Debian package: built by cpack from the build folder, its dependencies
# computed, and every file where Debian looks for it. dpkg installs it into
# an empty root folder (no container) and the program there starts and
# finds its data. The desktop file, metainfo and package are validated by
# desktop-file-validate, appstreamcli and lintian where those are installed.
#   package_check.sh BUILD_DIR VERSION
set -uo pipefail
build="$1"
version="$2"
fail() { echo "package: $*" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
start=$(date +%s)
(cd "$build" && cpack -G DEB >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack failed"; }
deb="$build/package/moorclash_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"
echo "package: $(basename "$deb") built in $(( $(date +%s) - start )) s, $(du -k "$deb" | cut -f1) KiB"

info=$(dpkg-deb --info "$deb")
depends=$(echo "$info" | sed -n 's/^ Depends: //p')
echo "package: Depends: $depends"
# Computed from the program: the C library and SDL come from dpkg-shlibdeps
# (no one writes "libsdl2-2.0-0 (>= ...)" by hand here).
for lib in 'libc6 (>=' 'libsdl2-2.0-0 (>=' 'libsdl2-ttf-2.0-0 (>=' 'libstdc++6 (>=' fonts-dejavu-core; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib"
done
echo "$info" | grep '^ Section: games' >/dev/null || fail "not in section games"

dpkg-deb --fsys-tarfile "$deb" | tar -t >"$tmp/files"
for f in ./usr/games/moorclash \
         ./usr/share/moorclash/TextureList.txt \
         "./usr/share/moorclash/default settings.dat" \
         ./usr/share/moorclash/keysettings.dat \
         "./usr/share/moorclash/Green Acres.map" \
         ./usr/share/moorclash/Credits.dat \
         ./usr/share/moorclash/Tank.bmp \
         ./usr/share/moorclash/Moo.wav \
         ./usr/share/moorclash/screenshot.png \
         ./usr/share/applications/org.moorclash.Moorclash.desktop \
         ./usr/share/metainfo/org.moorclash.Moorclash.metainfo.xml \
         ./usr/share/icons/hicolor/16x16/apps/moorclash.png \
         ./usr/share/icons/hicolor/48x48/apps/moorclash.png \
         ./usr/share/icons/hicolor/256x256/apps/moorclash.png \
         ./usr/share/man/man6/moorclash.6.gz \
         ./usr/share/doc/moorclash/copyright \
         ./usr/share/doc/moorclash/changelog.gz; do
  grep -qxF "$f" "$tmp/files" || fail "the package lacks $f"
done
# Nothing a run of build/bin left behind is shipped.
! grep -E '/settings\.dat$|\.SCR$|/usr/local' "$tmp/files" || fail "the package ships a run's leftovers"

# Installed by dpkg into an empty root (its dependencies are the host's):
# the program finds its data from /usr/games/../share/moorclash.
root="$tmp/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-not-root --log=/dev/null -i "$deb" >"$tmp/dpkg.log" 2>&1 \
  || { cat "$tmp/dpkg.log"; fail "dpkg refused the package"; }
dpkg --root="$root" -L moorclash | grep -x /usr/share/man/man6/moorclash.6.gz >/dev/null || fail "dpkg does not list the man page"
out=$("$root/usr/games/moorclash" --version) || fail "--version failed"
[ "$out" = "moorclash $version" ] || fail "--version says \"$out\""
export HOME="$tmp/home" XDG_CONFIG_HOME= XDG_DATA_HOME=
out=$(SDL_AUDIODRIVER=dummy "$root/usr/games/moorclash" --headless --map "Green Acres" --seconds 2 --seed 1 2>&1) \
  || fail "the unpacked program did not run: $out"
[[ "$out" == *'Level "Green Acres"'* ]] || fail "the unpacked program did not find its maps: $out"
zcat "$root/usr/share/man/man6/moorclash.6.gz" | grep -F '\-\-screenshot' >/dev/null || fail "man page lacks the options"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/org.moorclash.Moorclash.desktop" \
    || fail "desktop-file-validate"
  echo "package: desktop file valid"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/org.moorclash.Moorclash.metainfo.xml" \
    || fail "appstreamcli validate"
fi
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$tmp/lintian" 2>&1
  cat "$tmp/lintian"
  ! grep -q '^E:' "$tmp/lintian" || fail "lintian reports errors"
  echo "package: lintian: no errors, $(grep -c '^W:' "$tmp/lintian") warnings"
fi
echo "package: ok in $(( $(date +%s) - start )) s"
