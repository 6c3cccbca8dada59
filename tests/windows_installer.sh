#!/usr/bin/env bash
# windows_installer.sh: the Windows installer, as a player and an administrator meet it, under
# Wine on the X server named by DISPLAY (the test command's private Xvfb and window manager).
# A silent install; the game, started by its Start-menu shortcut, shows its title; a silent
# uninstall then leaves none of the installed files and no entry under installed apps, but keeps
# the player's best scores and a file the player put in the game's folder.
#
# Usage: tests/windows_installer.sh SETUP.EXE [WINEPREFIX]
# WINEPREFIX is a prefix for this test alone, made when missing (a first start takes a minute or
# more and about 700 MB); without one, a new prefix in a temporary folder, removed afterwards.
set -u
setup=$(readlink -f "$1")
work=$(mktemp -d)
given_prefix=${2:-}
export WINEPREFIX=${2:-$work/prefix} WINEDEBUG=-all SDL_AUDIODRIVER=dummy
# No .NET or HTML installers to ask about, and no shortcut copied into the host's own menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brinemark'
game=""

finish() {
  [ -n "$game" ] && kill -9 "$game" 2>/dev/null
  if [ -z "$given_prefix" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  rm -rf "$work"
}
trap finish EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if [ -z "${DISPLAY:-}" ] || ! command -v wine >/dev/null || ! command -v xdotool >/dev/null; then
  echo "needs DISPLAY, wine and xdotool: skipped"
  exit 77
fi
[ -f "$setup" ] || fail "no installer at $1"

mkdir -p "$WINEPREFIX"
# One wineserver for every step (each start of Wine is then quick); it ends 30 s after the last.
wineserver -p30 >/dev/null 2>&1
[ -e "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1 || fail "wineboot failed"

# unix_of VAR WINDOWS-VARIABLE: the Unix path of a folder Windows names by that variable.
unix_of() {
  local windows
  windows=$(wine cmd /c echo "%$2%" 2>/dev/null | tr -d '\r')
  printf -v "$1" %s "$(winepath -u "$windows" 2>/dev/null)"
  [ -d "${!1}" ] || fail "no folder for %$2% ($windows)"
}
unix_of local LOCALAPPDATA
unix_of roaming APPDATA
folder=$local/Programs/Brinemark
shortcut="$roaming/Microsoft/Windows/Start Menu/Programs/Brinemark.lnk"
scores=$roaming/Brinemark/scores
# What an earlier run of this test in the same prefix may have left.
rm -rf "$folder" "$shortcut"
wine reg delete "$key" /f >/dev/null 2>&1

mkdir -p "${scores%/*}"
printf 'brinemark scores 1\n1234 3 2026-01-02 03:04:05\nend\n' >"$scores"
cp "$scores" "$work/scores"

wine "$setup" /S >/dev/null 2>&1 || fail "the silent install ended with code $?"
[ -f "$folder/brinemark.exe" ] || fail "no brinemark.exe in $folder"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
find "$folder" -type f | sort >"$work/installed"
echo "$shortcut" >>"$work/installed"
echo "a player's own file" >"$folder/notes.txt"

# The game as the player starts it: from the Start menu, in the folder it was installed to.
(cd "$work" && exec wine start /unix "$shortcut") >/dev/null 2>&1
# Its window is told from other games' on the same display by its process: Wine names it by the
# program's Windows path, which must be the installed one.
installed_exe=$(winepath -w "$folder/brinemark.exe" | tr -d '\r')
for ((tries = 0; tries < 1200; tries++)); do
  for window in $(xdotool search --name '^Brinemark$' 2>/dev/null); do
    pid=$(xdotool getwindowpid "$window" 2>/dev/null) || continue
    program=$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | head -n 1)
    [ "${program,,}" = "${installed_exe,,}" ] && game=$pid
  done
  [ -n "$game" ] && break
  sleep 0.1
done
[ -n "$game" ] || fail "no window titled Brinemark from the installed game"
kill -9 "$game"
for ((tries = 0; tries < 100; tries++)); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
game=""

# The uninstall that the entry offers for silent use. The uninstaller would copy itself to a
# temporary folder and return at once; the same copy made here and run in place (_?=, which must
# come last and unquoted, as only a batch file passes it) is waited for, and its code is the
# uninstall's.
quiet=$(wine reg query "$key" /v QuietUninstallString 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[[ $quiet == \"*\"\ /S ]] || fail "no silent uninstall under installed apps: '$quiet'"
uninstaller=${quiet#\"}
uninstaller=${uninstaller%\" /S}
cp "$(winepath -u "$uninstaller")" "$work/uninstall.exe" || fail "no uninstaller at $uninstaller"
printf '@"%s" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$(winepath -w "$work/uninstall.exe")" \
  "$(winepath -w "$folder")" >"$work/uninstall.bat"
wine cmd /c "$(winepath -w "$work/uninstall.bat")" >/dev/null 2>&1 || fail "the silent uninstall ended with code $?"

left=""
while IFS= read -r f; do
  [ -e "$f" ] && left+=" ${f#"$folder/"}"
done <"$work/installed"
[ -z "$left" ] || fail "left after the uninstall:$left"
wine reg query "$key" >/dev/null 2>&1 && fail "the entry under installed apps is still there"
[ -f "$folder/notes.txt" ] || fail "the player's own file in the game's folder went with it"
cmp -s "$scores" "$work/scores" || fail "the best scores did not stay as they were"
rm -rf "$folder" "$scores"
echo "installed, ran and uninstalled"
