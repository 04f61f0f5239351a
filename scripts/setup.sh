#!/usr/bin/env bash
# Installs what the build, the window and the tests need on Debian 12, if missing.
set -euo pipefail

packages=(build-essential cmake ninja-build qt6-base-dev qt6-translations-l10n libgl-dev
          fonts-dejavu-core fonts-dejavu-extra libgtest-dev clang libclang-rt-14-dev locales)

"$(dirname "$0")"/install-missing.sh "${packages[@]}"

# A decimal-comma locale: the tests convert under it to prove no number depends on it.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
