#!/usr/bin/env bash
# Installs the Debian packages the build, the database and the tests need, when missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-translations-l10n libxcb1-dev libminizip-dev libxlsxwriter-dev
    libpq-dev postgresql-15 postgresql-contrib
    libgtest-dev libgmock-dev
    fonts-wqy-microhei xvfb xauth python3-openpyxl poppler-utils
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
if [ "$(id -u)" != 0 ]; then
    if command -v sudo >/dev/null; then
        SUDO=sudo
    else
        echo "these Debian packages are missing and only root can install them: ${missing[*]}" >&2
        exit 1
    fi
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
