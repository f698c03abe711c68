#!/usr/bin/env bash
# Redraws the compiled-in pictures and the supported-devices text into src/resources.
# The outputs are committed; run this only after changing draw-pictures.cpp or the catalog.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
g++ -std=c++17 -O1 -fPIC -Wall -Wextra -o "$work/draw-pictures" "$root/scripts/draw-pictures.cpp" \
    $(pkg-config --cflags --libs Qt5Gui Qt5Xml)
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' "$work/draw-pictures" "$root/src/resources"
