# What `cmake --install` puts outside bin/ (the folders install their own programs, the
# desktop entry, icons and manual pages) and the Debian package `cpack -G DEB` makes of it.
# The files only a Linux installation needs are in packaging/linux/: the copyright file
# (machine-readable, as Debian reads it), the Debian changelog, the AppStream metainfo
# that software centres show and what lintian is told to overlook.

set(ZORVANE_LINUX_PACKAGING ${PROJECT_SOURCE_DIR}/packaging/linux)
install(FILES ${PROJECT_SOURCE_DIR}/readme.txt ${ZORVANE_LINUX_PACKAGING}/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zorvane)
install(FILES ${ZORVANE_LINUX_PACKAGING}/example.zorvane.Zorvane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${ZORVANE_LINUX_PACKAGING}/zorvane.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME zorvane)

# The package's version is the project's with the Debian revision of the changelog's
# latest entry ("zorvane (0.0.2-1) ..."); a project version without its entry stops here,
# before a package could claim a history it does not have.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZORVANE_LINUX_PACKAGING}/changelog)
file(READ ${ZORVANE_LINUX_PACKAGING}/changelog ZORVANE_CHANGELOG_HEAD LIMIT 100)
if(NOT ZORVANE_CHANGELOG_HEAD MATCHES "^zorvane \\(([^ ()]+)-([^- ()]+)\\) "
   OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "the latest entry of packaging/linux/changelog must be "
                      "zorvane (${PROJECT_VERSION}-REVISION)")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
# Installed compressed as Debian installs changelogs (gzip -9n: no name, no time stamp).
find_program(ZORVANE_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/changelog.Debian.gz
  COMMAND ${ZORVANE_GZIP} -9 -n -c ${ZORVANE_LINUX_PACKAGING}/changelog
          > ${PROJECT_BINARY_DIR}/changelog.Debian.gz
  DEPENDS ${ZORVANE_LINUX_PACKAGING}/changelog)
add_custom_target(zorvane_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zorvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zorvane")
set(CPACK_PACKAGE_CONTACT "Zorvane <ranking@zorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ranks your browser Favorites by their viewing rate")
# One string: CMake would join several with ";", and dpkg shows each line as written
# (Debian wants them shorter than 80 columns).
set(CPACK_PACKAGE_DESCRIPTION "\
Zorvane ranks your favourite pages by their viewing rate: the share of\n\
your browser visits that falls on each. It builds a catalogue of your\n\
Favorites (Internet shortcut files; your Firefox and Chromium bookmarks\n\
are imported as such) and shows the top ten with their trend.\n\
A Qt window with a Japanese user interface, and zorvane-cli for the\n\
terminal.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zorvane.example/")
# Dependencies from the shared libraries the programs actually link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Readme, Homepage and the mail command go through xdg-open and xdg-email; the Japanese
# texts want a Japanese font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-ipafont-gothic | fonts-noto-cjk")
include(CPack)
