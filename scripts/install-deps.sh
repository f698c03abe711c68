#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are missing; with QT=6 (or
# KESTRION_QT_MAJOR=6) also those of debian-packages-qt6.txt, for a build against Qt 6.
set -euo pipefail
cd "$(dirname "$0")/.."
lists=(debian-packages.txt)
[ "${QT:-${KESTRION_QT_MAJOR:-5}}" = 6 ] && lists+=(debian-packages-qt6.txt)
mapfile -t wanted < <(cat "${lists[@]}" | grep -Ev '^\s*(#|$)')
missing=()
for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing missing packages: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
