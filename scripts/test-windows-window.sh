#!/usr/bin/env bash
# The Windows window under Xvfb and Wine: builds velk-comtrade.exe and the
# window checks for Windows (unless the build folder has them), runs the
# checks at 96 and at 120 pixels per inch, opens the window over the sample
# records and saves docs/window-windows.png, opens the record viewer over the
# two sample records of one moment and saves docs/viewer-windows.png with both cursors in the
# fault, and a COMTRADE record handed on by a second start as docs/viewer-comtrade-windows.png, then
# starts the program a second
# time: that start must end at once with status 0 without touching cmtrd.ddt,
# and the first window must be restored and in front, still the only one.
# Last it converts a folder of the sample records and a few hundred more
# from the window (Ctrl+Shift+O, Enter) and saves the progress window mid-run
# as docs/folder-progress-windows.png and the summary as
# docs/folder-summary-windows.png.
#
#   scripts/test-windows-window.sh [BUILD_DIR]     (default build-windows)
#
# Wine keeps its prefix inside the build folder; the user's own is never used.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-windows}
title="COMTRADE конвертер для ВЕЛК"

# What the test needs beyond the build: the cross compiler, Wine, a virtual
# display, a way to find and click windows, and ImageMagick for the screenshot.
scripts/install-missing.sh g++-mingw-w64-x86-64-posix wine xvfb xdotool imagemagick

# A build folder of its own is made as scripts/build-windows.sh makes it, so
# that the suite's build there keeps its options.
[ -f "$build/CMakeCache.txt" ] || scripts/build-windows.sh "$build"
cmake --build "$build" --target velk-comtrade velk-win32-checks > /dev/null
exe=$root/$build/velk-comtrade.exe
checks=$root/$build/tests/win32/velk-win32-checks.exe

export WINEPREFIX=$root/$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
xvfb_pid=""
first_pid=""
finish() {
  [ -n "$first_pid" ] && kill "$first_pid" 2> /dev/null || true
  wineserver -k 2> /dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null || true
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "test-windows-window: $*" >&2
  exit 1
}

# A display of our own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
[ -d "$WINEPREFIX" ] || timeout 300 wineboot -i > /dev/null 2>&1

set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f > /dev/null 2>&1
  wineserver -w
}

# Once as on a Russian Windows (code page 1251 for its narrow text) at 96
# pixels per inch, once in English, where message boxes say Yes and No of
# their own, at the 120 the window was laid out for.
for run in "96 ru_RU.UTF-8" "120 C.UTF-8"; do
  read -r dpi language <<< "$run"
  set_dpi "$dpi"
  echo "window checks at $dpi pixels per inch, $language:"
  LANG=$language LC_ALL=$language timeout 300 wine "$checks" ||
    fail "the window checks failed at $dpi pixels per inch"
done

# The program beside its output folders, remembering examples/ for both lists.
mkdir -p "$work/app/comtrade_anl" "$work/app/comtrade_dis" "$work/app/comtrade_uni"
cp "$exe" "$work/app/"
examples=$(winepath -w "$root/examples/")
printf '%s\r\n%s\r\n' "$examples" "$examples" > "$work/app/cmtrd.ddt"
touch -d '2020-01-01 00:00' "$work/app/cmtrd.ddt"
before=$(stat -c '%Y %s' "$work/app/cmtrd.ddt"; md5sum < "$work/app/cmtrd.ddt")

(cd "$work/app" && exec wine velk-comtrade.exe) &
first_pid=$!
window=$(timeout 60 xdotool search --sync --name "^$title\$" | head -n 1) ||
  fail "no window titled «$title»"
sleep 1

# The first record of each list chosen, as a user would click it.
read -r x y width height < <(xdotool getwindowgeometry --shell "$window" |
  awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
read -r client_x client_y client_width client_height < <(timeout 30 wine "$checks" client | tr -d "\r")
echo "window at $x,$y, $width x $height; its client area at $client_x,$client_y, $client_width x $client_height"
[ "$client_width" -eq 587 ] && [ "$client_height" -eq 494 ] ||
  fail "client area $client_width x $client_height, not 587 x 494"
# The menu bar takes the window's top; below it the client area keeps its layout.
menu=$((client_y - y))
[ "$client_x" -eq "$x" ] && [ "$menu" -gt 0 ] && [ $((y + height)) -eq $((client_y + client_height)) ] ||
  fail "the menu bar is not above the client area"
xdotool mousemove --window "$window" 60 $((98 + menu)) click 1
xdotool mousemove --window "$window" 60 $((282 + menu)) click 1
xdotool mousemove --window "$window" 300 $((470 + menu))
sleep 1
mkdir -p docs
/usr/bin/import -window root -crop "${width}x${height}+${x}+${y}" +repage docs/window-windows.png
echo "docs/window-windows.png"

# Both records of one moment chosen, «Совместить» is enabled: a double click on
# the analog record opens the viewer of both. It stays open until the window closes.
xdotool mousemove --window "$window" 60 $((98 + menu)) click --repeat 2 --delay 100 1
viewer=$(timeout 30 xdotool search --sync --name "^Просмотр записи — " | head -n 1) ||
  fail "a double click opened no viewer"
sleep 1
read -r vx vy vwidth vheight < <(xdotool getwindowgeometry --shell "$viewer" |
  awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
echo "viewer «$(xdotool getwindowname "$viewer")» at $vx,$vy, $vwidth x $vheight"
# Both cursors in the fault: a click puts A at 300 ms of the 580 shown, Shift+click B at
# 420 ms; the plot lies between the names column and the pane right of the picture (200
# and 440 points).
plot_left=$((200 * dpi / 96))
plot_right=$((vwidth - 8 - 440 * dpi / 96 - 12 * dpi / 96))
xdotool mousemove --window "$viewer" $((plot_left + (plot_right - plot_left) * 300 / 580)) 200 click 1
xdotool mousemove --window "$viewer" $((plot_left + (plot_right - plot_left) * 420 / 580)) 200 \
  keydown shift click 1 keyup shift
sleep 1
/usr/bin/import -window root -crop "${vwidth}x${vheight}+${vx}+${vy}" +repage docs/viewer-windows.png
echo "docs/viewer-windows.png"
# A three-phase record of another recorder, handed on by a second start as Explorer's
# "Open" would: cursor A after the first whole cycle, B near the end.
comtrade=$(winepath -w "$root/tests/data/comtrade-samples/python-comtrade/sample_ascii.cfg")
(cd "$work/app" && timeout 30 wine velk-comtrade.exe "$comtrade") ||
  fail "the second start with a COMTRADE record failed"
other=$(timeout 30 xdotool search --sync --name "^Просмотр записи — sample_ascii.cfg" | head -n 1) ||
  fail "the COMTRADE record opened no viewer"
xdotool windowmove --sync "$other" 0 0 2> /dev/null || true
xdotool windowraise "$other" 2> /dev/null || true
sleep 1
read -r ox oy owidth oheight < <(xdotool getwindowgeometry --shell "$other" |
  awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
plot_right=$((owidth - 8 - 440 * dpi / 96 - 12 * dpi / 96))
xdotool mousemove --window "$other" $((plot_left + (plot_right - plot_left) * 22 / 32)) 200 click 1
xdotool mousemove --window "$other" $((plot_left + (plot_right - plot_left) * 30 / 32)) 200 \
  keydown shift click 1 keyup shift
sleep 1
/usr/bin/import -window root -crop "${owidth}x${oheight}+${ox}+${oy}" +repage \
  docs/viewer-comtrade-windows.png
echo "docs/viewer-comtrade-windows.png"
xdotool windowclose "$other" 2> /dev/null || true

timeout 30 wine "$checks" minimize > /dev/null
sleep 0.5
state=$(timeout 30 wine "$checks" state | tr -d "\r")
[[ $state == "windows 1 minimized"* ]] || fail "could not minimize the window: $state"

# The second start.
started=$(date +%s%N)
status=0
(cd "$work/app" && timeout 30 wine velk-comtrade.exe) || status=$?
ended=$(date +%s%N)
[ "$status" -eq 0 ] || fail "the second start ended with status $status"
echo "the second start ended with status 0 after $(((ended - started) / 1000000)) ms"
after=$(stat -c '%Y %s' "$work/app/cmtrd.ddt"; md5sum < "$work/app/cmtrd.ddt")
[ "$before" = "$after" ] || fail "the second start changed cmtrd.ddt"
for _ in $(seq 50); do
  state=$(timeout 30 wine "$checks" state | tr -d "\r")
  [ "$state" = "windows 1 restored foreground" ] && break
  sleep 0.2
done
echo "after the second start: $state"
[ "$state" = "windows 1 restored foreground" ] || fail "the first window was not restored and raised"
[ "$(xdotool search --name "^$title\$" | wc -l)" -eq 1 ] || fail "more than one window"

timeout 30 wine "$checks" close > /dev/null
status=0
wait "$first_pid" || status=$?
first_pid=""
[ "$status" -eq 0 ] || fail "the window program ended with status $status"

# Two starts at the same moment: exactly one window.
(cd "$work/app" && exec wine velk-comtrade.exe) &
first_pid=$!
(cd "$work/app" && exec wine velk-comtrade.exe) &
second_pid=$!
timeout 60 xdotool search --sync --name "^$title\$" > /dev/null || fail "no window after two starts"
sleep 2
state=$(timeout 30 wine "$checks" state | tr -d "\r")
echo "after two starts at once: $state"
[[ $state == "windows 1 "* ]] || fail "two starts at once opened other than one window"
timeout 30 wine "$checks" close > /dev/null
for pid in "$first_pid" "$second_pid"; do
  wait "$pid" || fail "a start of the two ended with a status other than 0"
done
first_pid=""

# «Преобразовать папку…» from the keyboard over the sample records and 300
# pairs of our own making; the program's folder takes the output folders.
# Each of the 300 pairs is combined (the samples, all of one moment, are not).
geometry() {
  xdotool getwindowgeometry --shell "$1" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print w "x" h "+" x "+" y}'
}
records=$work/folder-records
mkdir -p "$records"
cp examples/* "$records/"
timeout 60 wine "$checks" records "$(winepath -w "$records")" 300
printf '%s\r\n%s\r\n' "$(winepath -w "$records/")" "$(winepath -w "$records/")" > "$work/app/cmtrd.ddt"
(cd "$work/app" && exec wine velk-comtrade.exe) &
first_pid=$!
window=$(timeout 60 xdotool search --sync --name "^$title\$" | head -n 1) ||
  fail "no window titled «$title»"
sleep 1
xdotool mousemove --window "$window" 300 10 click 1
sleep 0.3
xdotool key ctrl+shift+o
timeout 30 xdotool search --sync --name "^Преобразовать папку\$" > /dev/null ||
  fail "Ctrl+Shift+O opened no dialog"
sleep 0.5
xdotool key Return
progress=$(timeout 30 xdotool search --sync --name "^Преобразование папки\$" | head -n 1) ||
  fail "Enter started no run"
sleep 1
/usr/bin/import -window root -crop "$(geometry "$progress")" +repage docs/folder-progress-windows.png
echo "docs/folder-progress-windows.png"
summary=$(timeout 300 xdotool search --sync --name "^Итог преобразования папки\$" | head -n 1) ||
  fail "the run showed no summary"
sleep 0.5
/usr/bin/import -window root -crop "$(geometry "$summary")" +repage docs/folder-summary-windows.png
echo "docs/folder-summary-windows.png"
combined=$(find "$work/app/comtrade_uni" -name '*ASCII.cfg' | wc -l)
echo "the folder run made $combined combined pairs"
[ "$combined" -ge 300 ] || fail "the folder run made $combined combined pairs, not 300"
timeout 30 wine "$checks" close > /dev/null
status=0
wait "$first_pid" || status=$?
first_pid=""
[ "$status" -eq 0 ] || fail "the window program ended with status $status"
echo "test-windows-window: passed"
