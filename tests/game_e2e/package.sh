# The Debian package as a player gets it: built by cpack, checked by lintian, its desktop entry
# and metadata validated, unpacked into a scratch root and played from a folder that holds none
# of its files: the title, a click to the first level, "q" and exit code 0. The build gives
# BRINE_CPACK and BRINE_BUILD_DIR.
. "$(dirname "$0")/common.sh"
need_game_tools

(cd "$BRINE_BUILD_DIR" && "$BRINE_CPACK" -G DEB -B "$work/pkg") >"$work/cpack.out" 2>&1 || fail "cpack failed"
deb=$(echo "$work"/pkg/brinemark_*.deb)
[ -f "$deb" ] || fail "no package in $work/pkg"
dpkg-deb -f "$deb" Depends | grep -q 'libsdl1\.2debian' || fail "no SDL dependency: $(dpkg-deb -f "$deb" Depends)"
lintian --fail-on error "$deb" >"$work/lintian.err" 2>&1 || fail "lintian: $(cat "$work/lintian.err")"
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
desktop-file-validate "$root/usr/share/applications/brinemark.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$work/appstream.err" 2>&1 || fail "metadata"

mkdir "$work/elsewhere" && cd "$work/elsewhere" || fail "no neutral folder"
game=$root/usr/games/brinemark
env $sdl "$game" --help >"$work/help.out" 2>&1 && grep -q '^Usage: brinemark' "$work/help.out" || fail "--help"
[ "$(env $sdl "$game" --version)" = "brinemark $(dpkg-deb -f "$deb" Version)" ] || fail "--version: $("$game" --version)"
env $sdl "$game" --bogus >"$work/bad.out" 2>"$work/bad.err"
rc=$?
[ "$rc" = 2 ] && [ ! -s "$work/bad.out" ] && grep -q '^Usage: brinemark' "$work/bad.err" || fail "a bad argument gave $rc"
echo "lintian, desktop entry, metadata, --help, --version and a bad argument: fine"

BRINE_GAME=$game start_game
expect --wait 30 title
expect --wait 60 --do "xdotool mousemove --window $id 300 300 click 1" transit
press "$id" q
wait_exit "$pid" 30
[ "$rc" = 0 ] || fail "exit code $rc after q"
echo "the unpacked game played from $PWD and ended with exit code 0"
