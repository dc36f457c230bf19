#!/usr/bin/env bash
# Redraws PrevNext.png in this folder from paintprevnext.cpp.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -fPIC -O1 "$here/paintprevnext.cpp" -o "$work/paintprevnext" $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/paintprevnext" "$here/PrevNext.png"
