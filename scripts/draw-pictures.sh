#!/usr/bin/env bash
# Redraws the compiled-in pictures and the supported-devices text into src/resources.
# The outputs are committed; run this only after changing draw-pictures.cpp or the catalog.
# The drawer is a target of the project's build (scripts/CMakeLists.txt); BUILD_DIR picks the build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target draw-pictures
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' "$build/scripts/draw-pictures" "$root/src/resources"
