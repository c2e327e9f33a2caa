# `cpack -G DEB` in the build folder makes a Debian package of what `cmake --install` installs, with its
# library dependencies worked out by dpkg-shlibdeps from the executable.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quirvel)
set(CPACK_PACKAGE_VENDOR Quirvel)
set(CPACK_PACKAGE_CONTACT "Quirvel developers <quirvel@quirvel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo album in PDF from a set of photographs")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Quirvel turns a set of photographs into a photo album in PDF: the photos in a\n"
  "grid on pages of a chosen size, with a text for each photo, heading, page\n"
  "numbers, frames and background colour. Albums are saved as *.qvl files.\n"
  "The program and its messages are German. The command quirvel export writes\n"
  "albums without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the finished PDF, the fonts whose widths match the album's default fonts, a native Wayland
# window (without it the window runs through XWayland), and German texts in Qt's own dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-liberation2, qt6-wayland, qt6-translations-l10n")
include(CPack)
