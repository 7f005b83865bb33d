# The Debian package of headsaver, made by CPack (scripts/package.sh --deb):
# headsaver_<version>_amd64.deb with the program in
# /usr/libexec/xscreensaver/ and its option file in
# /usr/share/xscreensaver/config/, its manual page in /usr/share/man/man6/
# and its copyright file in /usr/share/doc/headsaver/, depending on the
# libraries the program
# links (found by dpkg-shlibdeps). Build it from an unsanitised build: a
# sanitised program would depend on the sanitizers' libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME headsaver)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Head")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Head: a medal of white, lit, fogged triangles as an XScreenSaver hack")
set(CPACK_PACKAGE_DESCRIPTION "headsaver shows a medal, an eight-armed star inside a reeded rim, as white,
lit, fogged, flat-shaded triangles on black, seen by a camera whose eye
point sways on two slow sine curves; or a 3DS model of the user's.
It is the Linux build of the Head screen saver for Windows.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Head maintainers <head@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_ENHANCES xscreensaver)
set(CPACK_STRIP_FILES ON)
include(CPack)
