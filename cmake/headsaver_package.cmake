# The Debian package of headsaver, made by CPack (scripts/package.sh --deb):
# headsaver_<version>_amd64.deb with the program in
# /usr/libexec/xscreensaver/ and its option file in
# /usr/share/xscreensaver/config/, its manual page in /usr/share/man/man6/,
# its copyright file and changelog in /usr/share/doc/headsaver/, depending
# on the libraries the program links (found by dpkg-shlibdeps). Build it
# from an unsanitised build: a sanitised program would depend on the
# sanitizers' libraries.

# Who answers for the package, in its Maintainer field and its changelog:
# the holder of LICENSE's copyright at the address the project's commits
# carry.
set(HEADSAVER_MAINTAINER "The Head developers <maintainers@users.noreply.c-seed-cb512ad5.example>")

# The changelog of a native package (its version has no Debian revision):
# one entry for this version, whose lines are CHANGELOG.md's section of it,
# dated at the release's time (SOURCE_DATE_EPOCH, which scripts/package.sh
# sets to the commit's time; else now), compressed as Debian wants it
# (gzip -9, without a name or time: the same bytes for the same release).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md)
file(READ ${CMAKE_SOURCE_DIR}/CHANGELOG.md changes)
string(FIND "${changes}" "\n## ${PROJECT_VERSION}\n" section_start)
if(section_start EQUAL -1)
  set(changes "- Version ${PROJECT_VERSION}; CHANGELOG.md of the sources tells what changed.")
else()
  string(LENGTH "\n## ${PROJECT_VERSION}\n" heading_length)
  math(EXPR section_start "${section_start} + ${heading_length}")
  string(SUBSTRING "${changes}" ${section_start} -1 changes)
  string(FIND "${changes}" "\n## " section_end)
  string(SUBSTRING "${changes}" 0 ${section_end} changes)
  string(STRIP "${changes}" changes)
endif()
# Markdown's "- " items and their indented lines become Debian's "  * "
# items, indented by two more.
string(REGEX REPLACE "\n  " "\n    " changes "${changes}")
string(REGEX REPLACE "(^|\n)- " "\\1  * " changes "${changes}")
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(changelog_dir ${CMAKE_CURRENT_BINARY_DIR}/headsaver_changelog)
file(WRITE ${changelog_dir}/changelog
"headsaver (${PROJECT_VERSION}) unstable; urgency=medium

${changes}

 -- ${HEADSAVER_MAINTAINER}  ${changelog_date}
")
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9nc ${changelog_dir}/changelog
  OUTPUT_FILE ${changelog_dir}/changelog.gz RESULT_VARIABLE gzip_status)
if(NOT gzip_status EQUAL 0)
  message(FATAL_ERROR "gzip of headsaver's changelog failed: ${gzip_status}")
endif()
install(FILES ${changelog_dir}/changelog.gz DESTINATION share/doc/headsaver)

# A stripped installation (CPack's) also loses the compilers' notes, as
# Debian's own packages do: they say nothing the package does not.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/libexec/xscreensaver/$<TARGET_FILE_NAME:headsaver>\")
  endif()")

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
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HEADSAVER_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_ENHANCES xscreensaver)
set(CPACK_STRIP_FILES ON)
include(CPack)
