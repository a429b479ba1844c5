#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Vistrel need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libtiff-dev qt6-image-formats-plugins qt6-qpa-plugins
  libgl1-mesa-dev fonts-wqy-microhei qt6-translations-l10n xvfb xauth
  binutils imagemagick
  desktop-file-utils appstream dpkg-dev file
  chromium chromium-driver python3-selenium
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
