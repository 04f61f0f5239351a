#!/usr/bin/env bash
# Makes the Wine prefix of $WINEPREFIX whole before programs run in it:
#
#   WINEPREFIX=DIR scripts/wine-ready.sh [--serve]
#
# The first Wine program in a new prefix makes it, which takes seconds, while
# other programs that start meanwhile meet a prefix half made; and every Wine
# program otherwise starts a server of its own that ends three seconds after
# the last program, so a program starting just then meets a server going down.
# So: wineboot makes (or brings up to date) the prefix, wineserver -w waits
# until everything it started has ended, and with --serve one server then stays
# for every program that follows, until `wineserver -k`.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX names the prefix}"
export WINEDEBUG=${WINEDEBUG:--all}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# No Mono or Gecko: nothing here needs them, and their installers would ask;
# no menu entries in the home folder either.
if ! WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" timeout 300 wineboot -i > "$log" 2>&1; then
  cat "$log" >&2
  echo "wine-ready: wineboot could not make the prefix $WINEPREFIX" >&2
  exit 1
fi
wineserver -w
# Wine links the user's Documents, Desktop and the like to the home folder:
# here they are folders of the prefix, so that no program run in it writes
# into the home of whoever builds.
for user_folder in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$user_folder" ] && [[ $(realpath -m "$user_folder") != "$(realpath -m "$WINEPREFIX")"/* ]]; then
    rm "$user_folder"
    mkdir "$user_folder"
  fi
done
if [ "${1:-}" = --serve ]; then
  wineserver -p
fi
