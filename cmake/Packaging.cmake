# The Debian package, made by CPack (scripts/package): the programs, the
# Quick Tour sample, the icon, the desktop entry, the file type and the
# thumbnailer, installed under /usr. The shared libraries the programs link
# become the dependencies (dpkg-shlibdeps); Qt's image and media plugins are
# loaded at run time, so what they need is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombravelle)
set(CPACK_PACKAGE_VENDOR Tessary)
set(CPACK_PACKAGE_CONTACT "Ombravelle maintainers <maintainers@ombravelle.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop photo-collage editor")
set(CPACK_PACKAGE_DESCRIPTION "Ombravelle gathers photos from your collection into frames on a canvas: \
crop, turn, tone-adjust, border and shadow them, let ZadeDudaziz lay them out, and export, print or share \
the collage. With collage-cli for scripts, and a thumbnailer that shows collage projects as pictures in \
file managers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins (xcb, offscreen) and the JPEG reader ship with
# libqt6gui6, the sound backends with libqt6multimedia6: both come through
# the shared libraries. TIFF and WebP photos need the extra image plugins.
set(recommends qt6-image-formats-plugins)
if(OMBRAVELLE_SAMPLE_USES_PACKAGE)
  # The Quick Tour refers to the wallpapers by their paths; without them it
  # shows the copies stored in the project.
  list(APPEND recommends ${OMBRAVELLE_SAMPLE_PACKAGE})
endif()
list(JOIN recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)

include(CPack)
