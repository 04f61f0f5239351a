#!/usr/bin/env bash
# The programs as users install them:
#  - both Windows programs carry the version resource (the project's version)
#    and the icon at 16, 24, 32, 48 and 256 pixels;
#  - under Xvfb and Wine, in a prefix made for the run in a temporary folder,
#    whose user folders (Documents and the rest, which Wine links to the home
#    folder) lead into that folder too, so that nothing reaches the real home:
#    the .msi installs silently for the machine, with both programs, the
#    read-me, the Start menu entry and the associations (.flh, .cfg, .cff open
#    with the viewer; .txt is only offered); the installed window started with
#    a record opens its viewer, a second start with another record (its path
#    with Cyrillic letters and blanks) hands it on and ends, and the same
#    process shows a second viewer; a package of the next version upgrades it
#    in place, and this one then refuses to install over that; the silent
#    uninstall takes the programs, the entry and the associations and leaves
#    the user's cmtrd.ddt and converted files;
#  - the .deb that cpack makes in the Linux build holds both programs, the
#    desktop entry, the MIME types and the icons, and its velk-convert runs.
#
#   scripts/test-installer.sh [LINUX_BUILD] [WINDOWS_BUILD]   (build build-windows)
#
# It expects scripts/build-windows.sh to have made dist/ from WINDOWS_BUILD.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux=${1:-build}
build=${2:-build-windows}
entry="COMTRADE конвертер для ВЕЛК"

# cpack reads the programs' library needs with file(1) and dpkg-shlibdeps.
scripts/install-missing.sh wine xvfb xdotool icoutils msitools dpkg-dev file

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
msi=$root/dist/velk-comtrade-$version-win64.msi
[ -f "$msi" ] || { echo "test-installer: $msi is missing (scripts/build-windows.sh)" >&2; exit 1; }

work=$(mktemp -d)
# Wine links the prefix's user folders to $HOME and puts menu entries under it:
# the Wine part runs with a home of its own, the real one back for the .deb.
real_home=$HOME
mkdir -p "$work/home"
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_DOCUMENTS_DIR
xvfb_pid=""
finish() {
  wineserver -k 2> /dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null || true
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "test-installer: $*" >&2
  exit 1
}
# The Windows version's four fields: 1.0 is 1.0.0.0.
IFS=. read -r major minor patch _ <<< "$version"
file_version=$major.${minor:-0}.${patch:-0}.0

echo "resources:"
for exe in velk-comtrade velk-convert; do
  program=$root/dist/velk-comtrade-win64/$exe.exe
  wrestool -x --raw -t 16 "$program" > "$work/version.res" || fail "$exe.exe has no version resource"
  strings_of=$(iconv -f UTF-16LE -t UTF-8 < "$work/version.res" 2> /dev/null | tr -c '[:print:]' '\n')
  for field in "FileVersion" "ProductVersion" "ProductName" "FileDescription" "LegalCopyright" \
               "$file_version" "COMTRADE converter for VELK" "$exe.exe"; do
    grep -qF -- "$field" <<< "$strings_of" || fail "$exe.exe: «$field» is not in its version resource"
  done
  wrestool -x -t 14 -o "$work/$exe.ico" "$program" 2> /dev/null
  [ -s "$work/$exe.ico" ] || fail "$exe.exe has no icon"
  sizes=$(icotool -l "$work/$exe.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
  [ "$sizes" = "16 24 32 48 256 " ] || fail "$exe.exe: icon sizes $sizes"
  echo "  $exe.exe: version $file_version, icon of ${sizes% } pixels"
done

# A display of our own for the window.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
timeout 300 wineboot -i > /dev/null 2>&1 || fail "wineboot could not make the prefix"
wineserver -w

unix_of() { winepath -u "$1" 2> /dev/null | tr -d '\r'; }
reg_default() {  # the default value of a key of HKEY_CLASSES_ROOT, or nothing
  wine reg query "HKCR\\$1" /ve 2> /dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}
appdata=$(unix_of "$(wine cmd /c echo %APPDATA% 2> /dev/null | tr -d '\r')")
documents=$(unix_of "$(wine cmd /c echo %USERPROFILE% 2> /dev/null | tr -d '\r')\\Documents")
folder=$(unix_of 'C:\Program Files\velk-comtrade')
[ -n "$appdata" ] && [ -n "$folder" ] || fail "cannot find the prefix's folders"
for user_folder in "$appdata" "$documents"; do
  [[ $(realpath -m "$user_folder") == "$work"/* ]] || fail "$user_folder leads out of $work"
done

# What the user has from before: the last folders and a converted pair.
mkdir -p "$appdata/velk-comtrade" "$documents/velk-comtrade/comtrade_anl"
printf 'C:\\\r\nC:\\\r\n' > "$appdata/velk-comtrade/cmtrd.ddt"
echo kept > "$documents/velk-comtrade/comtrade_anl/old.cfg"
kept=$(md5sum "$appdata/velk-comtrade/cmtrd.ddt" "$documents/velk-comtrade/comtrade_anl/old.cfg")

timeout 300 wine msiexec /i "$(winepath -w "$msi")" ALLUSERS=1 /qn ||
  fail "the silent install failed"
for file in velk-comtrade.exe velk-convert.exe README.txt; do
  [ -f "$folder/$file" ] || fail "the install left out $file"
done
link=$(find "$WINEPREFIX/drive_c" -name "$entry.lnk" | head -n 1)
[ -n "$link" ] || fail "no Start menu entry «$entry»"
[ "$(reg_default .flh)" = VelkComtrade.Analog ] || fail ".flh is not associated"
[ "$(reg_default .cfg)" = VelkComtrade.Comtrade ] || fail ".cfg is not associated"
[ "$(reg_default .cff)" = VelkComtrade.Comtrade ] || fail ".cff is not associated"
[ "$(reg_default .txt)" != VelkComtrade.Discrete ] || fail ".txt became ours by default"
command=$(reg_default 'VelkComtrade.Analog\shell\open\command')
[[ $command == *'velk-comtrade.exe" "%1"' ]] || fail "a .flh opens with «$command»"
wine reg query 'HKCR\.txt\OpenWithProgids' /v VelkComtrade.Discrete > /dev/null 2>&1 ||
  fail ".txt does not offer the viewer under «Открыть с помощью»"
echo "installed: $(du -sk "$folder" | cut -f1) KiB in $folder; $(basename "$link"); .flh: $command"

# Records of our own: a sample pair, the second under a name with Cyrillic
# letters and blanks.
mkdir -p "$work/Записи ПС"
cp examples/feeder_type60.flh "$work/first.flh"
cp examples/feeder_type60.txt "$work/Записи ПС/дискретная запись 2.txt"
viewers() { xdotool search --name "^Просмотр записи — " 2> /dev/null | wc -l; }

(cd "$work" && exec wine "C:\\Program Files\\velk-comtrade\\velk-comtrade.exe" \
  "$(winepath -w "$work/first.flh")") > /dev/null 2>&1 &
first=$(timeout 60 xdotool search --sync --name "^Просмотр записи — first.flh\$" | head -n 1) ||
  fail "the installed window opened no viewer of its record"
status=0
(cd "$work" && timeout 60 wine "C:\\Program Files\\velk-comtrade\\velk-comtrade.exe" \
  "$(winepath -w "$work/Записи ПС/дискретная запись 2.txt")") > /dev/null 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the second start ended with status $status"
second=$(timeout 30 xdotool search --sync --name "^Просмотр записи — дискретная запись 2.txt\$" |
  head -n 1) || fail "the second start's record opened no viewer"
[ "$(viewers)" -eq 2 ] || fail "$(viewers) viewers, not 2"
[ "$(xdotool getwindowpid "$first")" = "$(xdotool getwindowpid "$second")" ] ||
  fail "the second viewer is not in the first window's process"
[ "$(xdotool search --name "^$entry\$" | wc -l)" -eq 1 ] || fail "a second main window opened"
echo "one window, two viewers: «$(xdotool getwindowname "$first")», «$(xdotool getwindowname "$second")»"
wineserver -k 2> /dev/null || true
wineserver -w 2> /dev/null || true

# The next version replaces this one in place: the same UpgradeCode, a new
# ProductCode and package code, a higher version (which the Upgrade table's
# bounds of older and newer versions name too). This one then refuses to
# install over it.
ours() {  # the installed products of our maker, with their versions
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2> /dev/null |
    tr -d '\r' | awk '/Publisher .*velk-comtrade$/ {n++} /DisplayVersion/ {v=$3} /^$/ {if (p) print v; p=0} /Publisher .*velk-comtrade$/ {p=1} END {if (p) print v}'
}
[ "$(ours)" = "$major.${minor:-0}.${patch:-0}" ] || fail "installed products: $(ours)"
next=$major.${minor:-0}.$((${patch:-0} + 1))
newer=$work/newer.msi
upgrade_code=$(msiinfo export "$msi" Property | tr -d '\r' | awk '$1 == "UpgradeCode" {print $2}')
cp "$msi" "$newer"
msibuild "$newer" \
  -q "UPDATE \`Property\` SET \`Value\` = '$next' WHERE \`Property\` = 'ProductVersion'" \
  -q "DELETE FROM \`Upgrade\` WHERE \`Attributes\` = 1" -q "DELETE FROM \`Upgrade\` WHERE \`Attributes\` = 2" \
  -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`)
      VALUES ('$upgrade_code', '$next', 1, 'WIX_UPGRADE_DETECTED')" \
  -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMin\`, \`Attributes\`, \`ActionProperty\`)
      VALUES ('$upgrade_code', '$next', 2, 'WIX_DOWNGRADE_DETECTED')" \
  -q "UPDATE \`Property\` SET \`Value\` = '{$(cat /proc/sys/kernel/random/uuid)}' WHERE \`Property\` = 'ProductCode'" \
  -s "Installation Database" velk-comtrade "x64;1033" "{$(cat /proc/sys/kernel/random/uuid)}"
timeout 300 wine msiexec /i "$(winepath -w "$newer")" ALLUSERS=1 /qn || fail "the upgrade failed"
[ "$(ours)" = "$next" ] || fail "after the upgrade, installed products: $(ours)"
[ -f "$folder/velk-comtrade.exe" ] && [ -f "$link" ] || fail "the upgrade lost a file"
if timeout 300 wine msiexec /i "$(winepath -w "$msi")" ALLUSERS=1 /qn; then
  fail "an older version installed over a newer one"
fi
echo "upgraded in place to $next; the older package refuses to install over it"

timeout 300 wine msiexec /x "$(winepath -w "$newer")" ALLUSERS=1 /qn ||
  fail "the silent uninstall failed"
[ -z "$(ours)" ] || fail "the uninstall left products: $(ours)"
for file in velk-comtrade.exe velk-convert.exe README.txt; do
  [ ! -e "$folder/$file" ] || fail "the uninstall left $file"
done
[ ! -e "$link" ] || fail "the uninstall left the Start menu entry"
[ -z "$(reg_default .flh)" ] || fail "the uninstall left the .flh association"
[ -z "$(reg_default 'VelkComtrade.Analog\shell\open\command')" ] || fail "the uninstall left VelkComtrade.Analog"
[ "$kept" = "$(md5sum "$appdata/velk-comtrade/cmtrd.ddt" "$documents/velk-comtrade/comtrade_anl/old.cfg")" ] ||
  fail "the uninstall touched the user's cmtrd.ddt or converted files"
echo "uninstalled: the programs, the entry and the associations gone; the user's files kept"

# The Debian package, looked into without installing it.
export HOME=$real_home
cmake --build "$linux" --target velk-convert velk-comtrade velk-icon > /dev/null
(cd "$linux" && cpack -G DEB > /dev/null)
deb=$(ls "$linux"/dist/velk-comtrade_"$version"_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/velk-comtrade ./usr/bin/velk-convert \
            ./usr/share/applications/velk-comtrade.desktop \
            ./usr/share/mime/packages/velk-comtrade.xml \
            ./usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,256x256}/apps/velk-comtrade.png; do
  grep -qxF "$path" <<< "$contents" || fail "the .deb lacks $path"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the .deb does not depend on Qt"
dpkg-deb -x "$deb" "$work/root"
grep -qx 'Exec=velk-comtrade %F' "$work/root/usr/share/applications/velk-comtrade.desktop" ||
  fail "the desktop entry does not open files"
"$work/root/usr/bin/velk-convert" --version | grep -qx "velk-convert $version" ||
  fail "the packaged velk-convert does not say its version"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, $(wc -l <<< "$contents") entries"
