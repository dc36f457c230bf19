#!/usr/bin/env bash
# Redraws the toolbar icons (IDR_TB_*.png) in this folder from painticons.cpp.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -fPIC -O1 "$here/painticons.cpp" -o "$work/painticons" $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/painticons" "$here"
