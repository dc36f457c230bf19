#!/usr/bin/env bash
# The Debian package: CPack makes it from the build, it depends on the Qt
# libraries the programs link, holds the programs, the sample and the
# desktop files under /usr, and, unpacked into a temporary root, its
# collage-cli tells its version and makes a thumbnail of the sample.
#
# Usage: debian_package_test.sh BUILD_DIR CPACK
set -euo pipefail
BUILD=$1
CPACK=$2
. "$(dirname "$0")/checks.sh"

# gzip: quicker than the release package's xz, and the same content.
"$CPACK" -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/package" \
  -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >/dev/null
DEB=$(echo "$WORK"/package/*.deb)
check "one package made" test -f "$DEB"

depends=$(dpkg-deb --field "$DEB" Depends)
for library in libqt6core6 libqt6gui6 libqt6widgets6 libexiv2; do
  check "depends on $library" grep -q "$library" <<< "$depends"
done
contents=$(dpkg-deb --contents "$DEB")
for file in usr/bin/collage usr/bin/collage-cli usr/bin/updater usr/share/ombravelle/Samples/QuickStart.Collage \
            usr/share/applications/ombravelle.desktop usr/share/mime/packages/ombravelle-collage.xml \
            usr/share/thumbnailers/ombravelle.thumbnailer usr/share/icons/hicolor/256x256/apps/ombravelle.png; do
  check "packaged: $file" grep -q " \./$file\$" <<< "$contents"
done

ROOT=$WORK/root
dpkg -x "$DEB" "$ROOT"
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
version=$(dpkg-deb --field "$DEB" Version)
check "collage-cli --version from the package" test "$("$ROOT/usr/bin/collage-cli" --version)" = "collage-cli $version"
check "collage-cli thumbnail from the package" \
  "$ROOT/usr/bin/collage-cli" thumbnail "$ROOT/usr/share/ombravelle/Samples/QuickStart.Collage" "$WORK/t.png" 96
check "the thumbnail is 96 pixels wide" test "$(png_size "$WORK/t.png")" = "96x72"

finish
