#!/usr/bin/env bash
# Builds the Windows programs on Debian 12 and lays out what users unzip:
#
#   scripts/build-windows.sh [BUILD_DIR]        (default build-windows)
#
# Installs what is missing (MinGW-w64 with POSIX threads, Wine, zip and unzip), builds
# GoogleTest for Windows from Debian's sources into BUILD_DIR (once), builds the
# project statically with cmake/mingw-w64.cmake (the programs import only DLLs
# that come with Windows), and writes
#   dist/velk-comtrade-win64/      velk-comtrade.exe (when the window is built),
#                                  velk-convert.exe, comtrade_anl/, comtrade_dis/,
#                                  comtrade_uni/, README.txt
#   dist/velk-comtrade-win64.zip   the same folder in one file
#   dist/velk-comtrade-VERSION-win64.msi
#                                  the installer of both programs and the read-me
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-windows}
mingw=x86_64-w64-mingw32

packages=(build-essential cmake ninja-build libgtest-dev g++-mingw-w64-x86-64-posix wine xvfb
          xdotool zip unzip wixl msitools)
scripts/install-missing.sh "${packages[@]}"

toolchain=$root/cmake/mingw-w64.cmake
gtest=$root/$build/googletest-install
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "Building GoogleTest for Windows"
  cmake -S /usr/src/googletest -B "$build/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$gtest" > /dev/null
  cmake --build "$build/googletest" > /dev/null
  cmake --install "$build/googletest" > /dev/null
fi

# Wine, which runs the tests while CMake lists them, keeps its prefix in the build folder.
export WINEPREFIX=$root/$build/wine-prefix WINEDEBUG=-all
scripts/wine-ready.sh
scripts/build.sh "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DVELK_BUILD_BENCH=OFF -DGTest_DIR="$gtest/lib/cmake/GTest" -DVELK_WINEPREFIX="$WINEPREFIX"

dist=dist/velk-comtrade-win64
rm -rf "$dist" "$dist.zip"
mkdir -p "$dist/comtrade_anl" "$dist/comtrade_dis" "$dist/comtrade_uni"
for program in velk-comtrade velk-convert; do
  if [ -f "$build/$program.exe" ]; then
    $mingw-strip -o "$dist/$program.exe" "$build/$program.exe"
  elif [ "$program" = velk-convert ]; then
    echo "build-windows: $build/$program.exe is missing" >&2
    exit 1
  else
    echo "build-windows: no window program yet ($build/$program.exe); the zip has the command line only"
  fi
done

# The read-me in UTF-8 with a byte-order mark and CR LF line ends: Notepad of
# every Windows version shows it right whatever the system's language.
{
  printf '\xEF\xBB\xBF'
  sed 's/$/\r/' <<'TEXT'
COMTRADE конвертер для ВЕЛК
===========================

Преобразует записи устройств ВЕЛК в файлы COMTRADE (IEEE C37.111-1999):
аналоговые записи (.flh), дискретные записи (.txt) и обе записи одного пуска вместе.

Установщик velk-comtrade-ВЕРСИЯ-win64.msi ставит обе программы и пункт меню «Пуск»
«COMTRADE конвертер для ВЕЛК»; записи .flh и файлы COMTRADE открываются двойным
щелчком. Без установщика: распакуйте папку в любое место, где можно писать, и запустите
velk-comtrade.exe. Рядом с программой лежат папки comtrade_anl, comtrade_dis и
comtrade_uni, куда по умолчанию пишутся результаты, а программа сама создаёт файл
cmtrd.ddt с последними выбранными папками.

Командная строка (cmd.exe или PowerShell):
  velk-convert analog ЗАПИСЬ.flh ИТОГ.cfg
  velk-convert discrete ЗАПИСЬ.txt ИТОГ.cfg
  velk-convert combined ЗАПИСЬ.flh ЗАПИСЬ.txt ИТОГ.cfg
Пути с пробелами берите в кавычки. velk-convert --help объясняет остальное.

Целая папка записей за один раз:
  velk-convert batch ПАПКА_ЗАПИСЕЙ ПАПКА_ВЫВОДА
преобразует все записи .flh и .txt папки в comtrade_anl, comtrade_dis и
comtrade_uni папки вывода и совмещает аналоговую и дискретную записи одного
момента пуска. Повторный запуск преобразует только новые и изменённые записи;
чужие файлы не перезаписываются. --recursive берёт и вложенные папки.
То же из окна: «Файл → Преобразовать папку…» (Ctrl+Shift+O) или перетащите папку
на окно. Перетащенные на окно записи .flh и .txt выбираются в своих списках.

Просмотр записи: двойной щелчок по строке списка или F3 открывает окно с
осциллограммами выбранной записи (обеих записей, когда доступно «Совместить»):
колесо мыши меняет масштаб, перетаскивание сдвигает, Home показывает всю запись,
стрелки двигают курсор на отсчёт (с Shift на период 50 Гц). Тот же рисунок в файл SVG:
  velk-convert picture ЗАПИСЬ.flh [ЗАПИСЬ.txt] РИСУНОК.svg

Если в папку программы писать нельзя, результаты по умолчанию идут в папку
velk-comtrade в «Документах» пользователя, а cmtrd.ddt — в %APPDATA%\velk-comtrade.

Для 64-разрядных Windows 7 SP1, 8.1, 10 и 11.

---------------------------------------------------------------------------------

COMTRADE converter for VELK

Converts the records of VELK devices into COMTRADE files (IEEE C37.111-1999):
analog records (.flh), discrete records (.txt), and both records of one start together.

The installer velk-comtrade-VERSION-win64.msi installs both programs and the Start menu
entry; .flh records and COMTRADE files then open with a double click. Without it,
unpack the folder anywhere you may write, and run velk-comtrade.exe.
Output goes by default into the folders comtrade_anl, comtrade_dis and comtrade_uni
beside the program; the program keeps the last folders chosen in cmtrd.ddt beside it.

Command line (cmd.exe or PowerShell):
  velk-convert analog RECORD.flh OUT.cfg
  velk-convert discrete RECORD.txt OUT.cfg
  velk-convert combined RECORD.flh RECORD.txt OUT.cfg
Put paths with blanks in quotes. velk-convert --help explains the rest.

A whole folder of records at once:
  velk-convert batch RECORDS_FOLDER OUTPUT_FOLDER
converts every .flh and .txt record of the folder into comtrade_anl, comtrade_dis
and comtrade_uni of the output folder, and combines an analog and a discrete record
of the same start moment. Running it again converts only new and changed records;
files it did not write are never overwritten. --recursive takes subfolders too.
The same from the window: «Файл → Преобразовать папку…» (Ctrl+Shift+O), or drag a
folder onto the window. Records (.flh, .txt) dragged onto the window are chosen in their lists.

Seeing a record: a double click on a list row, or F3, opens a window with the
waveforms of the chosen record (of both records when «Совместить» is enabled):
the wheel zooms, a drag pans, Home shows the whole record, the arrows move the
cursor by a sample (with Shift by a cycle of 50 Hz). The same picture as an SVG file:
  velk-convert picture RECORD.flh [RECORD.txt] PICTURE.svg

Where the program's folder takes no new file, output goes by default into a
velk-comtrade folder in the user's Documents, and cmtrd.ddt into %APPDATA%\velk-comtrade.

For 64-bit Windows 7 SP1, 8.1, 10 and 11.
TEXT
} > "$dist/README.txt"

(cd dist && zip -qrX velk-comtrade-win64.zip velk-comtrade-win64)
echo "dist/velk-comtrade-win64.zip: $(stat -c %s dist/velk-comtrade-win64.zip) bytes"
(cd dist && unzip -l velk-comtrade-win64.zip | sed 1,3d | head -n -2 | awk '{print "  " $4 "  " $1}')
for exe in "$dist"/*.exe; do
  echo "$(basename "$exe") imports: $($mingw-objdump -p "$exe" | awk '/DLL Name/ {print $3}' | tr '\n' ' ')"
done

# The installer, when the window is built: wixl (msitools) makes it from the
# build's velk-comtrade.wxs over the zip's folder. wixl stores no Cyrillic
# text, so the package's Russian texts replace their placeholders afterwards
# with msibuild, once the database is marked as code page 1251.
if [ -f "$dist/velk-comtrade.exe" ]; then
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  msi=dist/velk-comtrade-$version-win64.msi
  stage=$build/msi
  rm -rf "$stage" "$msi"
  mkdir -p "$stage"
  cp "$dist/velk-comtrade.exe" "$dist/velk-convert.exe" "$dist/README.txt" \
     "$build/packaging/velk-comtrade.ico" "$stage/"
  (cd "$stage" && wixl -a x64 -o package.msi "$root/$build/packaging/velk-comtrade.wxs")
  printf '\r\n\r\n1251\t_ForceCodepage\r\n' > "$stage/_ForceCodepage.idt"
  msibuild "$stage/package.msi" -i "$stage/_ForceCodepage.idt"
  russian() {  # TABLE COLUMN PLACEHOLDER TEXT
    msibuild "$stage/package.msi" -q "UPDATE \`$1\` SET \`$2\` = '$4' WHERE \`$2\` = '$3'"
  }
  russian Property Value VELK_PRODUCT_NAME 'COMTRADE конвертер для ВЕЛК'
  russian Shortcut Name VELK_START_MENU_ENTRY 'VELKCONV|COMTRADE конвертер для ВЕЛК'
  russian Shortcut Description VELK_START_MENU_COMMENT 'Преобразует записи устройств ВЕЛК в файлы COMTRADE'
  russian LaunchCondition Description VELK_DOWNGRADE_MESSAGE 'Установлена более новая версия программы.'
  russian Registry Value VELK_ANALOG_RECORD_TYPE 'Аналоговая запись ВЕЛК'
  russian Registry Value VELK_DISCRETE_RECORD_TYPE 'Дискретная запись ВЕЛК'
  russian Registry Value VELK_COMTRADE_TYPE 'Файл COMTRADE'
  for table in Property Shortcut LaunchCondition Registry; do
    if msiinfo export "$stage/package.msi" "$table" | grep -q VELK_; then
      echo "build-windows: a placeholder is left in the installer's $table table" >&2
      exit 1
    fi
  done
  mv "$stage/package.msi" "$msi"
  echo "$msi: $(stat -c %s "$msi") bytes"
fi
