#!/usr/bin/env bash
# The installed program as a desktop meets it: `cmake --install` into a
# temporary prefix, then the programs, the sample and the icons are where
# the desktop looks; the desktop entry validates; the installed file type,
# in a private MIME database, names a saved project by its name and by its
# first bytes; the thumbnailer entry's command writes a PNG of the size
# asked; and Open Quick Tour, run from the prefix, opens the sample.
#
# Usage: desktop_install_test.sh BUILD_DIR QUICKTOUR_TEST_PROGRAM
set -euo pipefail
BUILD=$1
QUICKTOUR=$2
. "$(dirname "$0")/checks.sh"

PREFIX=$WORK/prefix
SHARE=$PREFIX/share
TYPE=application/x-ombravelle-collage
# collage-cli keeps its collection and settings in a home of its own.
export XDG_CONFIG_HOME=$WORK/config
cli() { XDG_DATA_HOME=$WORK/data "$PREFIX/bin/collage-cli" "$@"; }

cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

# --- Layout
for file in bin/collage bin/collage-cli bin/updater share/ombravelle/Samples/QuickStart.Collage \
            share/applications/ombravelle.desktop share/mime/packages/ombravelle-collage.xml \
            share/thumbnailers/ombravelle.thumbnailer; do
  check "installed: $file" test -s "$PREFIX/$file"
done
# Without a command line the updater changes nothing; in a folder without an
# editor it has nothing to start either, and says so in its log.
mkdir -p "$WORK/noeditor"
check "the updater runs from the prefix" expect_exit 0 env -C "$WORK/noeditor" "$PREFIX/bin/updater"
check "the updater logs where it ran" grep -q "Invalid command line params" "$WORK/noeditor/updater.log"
icons=0
for icon in "$SHARE"/icons/hicolor/*x*/apps/ombravelle.png; do
  side=${icon%/apps/*}; side=${side##*/}; side=${side%x*}
  check "icon of ${side}x${side} pixels" test "$(png_size "$icon")" = "${side}x${side}"
  icons=$((icons + 1))
done
check "icons at the usual sizes (16 to 256 at least)" test "$icons" -ge 6 -a -s "$SHARE/icons/hicolor/16x16/apps/ombravelle.png" \
  -a -s "$SHARE/icons/hicolor/256x256/apps/ombravelle.png"

# --- Desktop entry
ENTRY=$SHARE/applications/ombravelle.desktop
check "desktop-file-validate" desktop-file-validate "$ENTRY"
check "the entry starts the installed editor" test -x "$PREFIX/bin/$(entry_key "$ENTRY" Exec | cut -d' ' -f1)"
check "the entry's icon is installed" test -s "$SHARE/icons/hicolor/256x256/apps/$(entry_key "$ENTRY" Icon).png"
check "the entry opens the project type" test "$(entry_key "$ENTRY" MimeType)" = "$TYPE;"

# --- File type: a private MIME database of the installed definition
MIME_HOME=$WORK/xdg
mkdir -p "$MIME_HOME/mime/packages"
cp "$SHARE/mime/packages/ombravelle-collage.xml" "$MIME_HOME/mime/packages/"
XDG_DATA_HOME="$MIME_HOME" update-mime-database "$MIME_HOME/mime"
filetype() {
  env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u GNOME_DESKTOP_SESSION_ID -u KDE_FULL_SESSION \
    XDG_DATA_HOME="$MIME_HOME" xdg-mime query filetype "$1"
}
PHOTO=$SHARE/icons/hicolor/256x256/apps/ombravelle.png
cli make "$PHOTO" --out "$WORK/Saved.Collage" >/dev/null
cp "$WORK/Saved.Collage" "$WORK/saved-without-extension"
echo "plain words" > "$WORK/notes"
check "xdg-mime names a saved project by its name" test "$(filetype "$WORK/Saved.Collage")" = "$TYPE"
check "xdg-mime names a saved project by its first bytes" test "$(filetype "$WORK/saved-without-extension")" = "$TYPE"
check "xdg-mime leaves other files alone" test "$(filetype "$WORK/notes")" != "$TYPE"

# --- Thumbnailer: the entry's own command line, %i %o %s filled in
THUMBNAILER=$SHARE/thumbnailers/ombravelle.thumbnailer
check "the thumbnailer handles the project type" test "$(entry_key "$THUMBNAILER" MimeType)" = "$TYPE;"
thumbnail() {
  local command
  read -ra command <<< "$(entry_key "$THUMBNAILER" Exec)"
  for i in "${!command[@]}"; do
    case ${command[$i]} in %i) command[$i]=$1 ;; %o) command[$i]=$2 ;; %s) command[$i]=$3 ;; esac
  done
  PATH="$PREFIX/bin:$PATH" XDG_DATA_HOME=$WORK/data "${command[@]}"
}
check "thumbnailer runs" thumbnail "$WORK/Saved.Collage" "$WORK/saved.png" 128
check "thumbnail of a saved project is 128 x 96" test "$(png_size "$WORK/saved.png")" = "128x96"
check "thumbnailer runs on the sample" thumbnail "$SHARE/ombravelle/Samples/QuickStart.Collage" "$WORK/sample.png" 256
check "thumbnail of the sample is 256 x 192" test "$(png_size "$WORK/sample.png")" = "256x192"

# --- Open Quick Tour from the installed program's folder
cp "$QUICKTOUR" "$PREFIX/bin/"
check "Open Quick Tour from the prefix" env QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" \
  "$PREFIX/bin/$(basename "$QUICKTOUR")" --gtest_brief=1

finish
