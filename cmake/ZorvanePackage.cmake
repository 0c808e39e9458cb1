# What `cmake --install` puts outside bin/ (the folders install their own programs, the
# desktop entry, icons and manual page) and the Debian package `cpack -G DEB` makes of it.

install(FILES ${PROJECT_SOURCE_DIR}/readme.txt
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zorvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zorvane")
set(CPACK_PACKAGE_CONTACT "Zorvane <ranking@zorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ranks your browser Favorites by their viewing rate")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorvane builds a catalogue of your Favorites (their Internet shortcut files) and ranks\n"
    "them by the share of your browser's visits that falls on each. A Qt window with a\n"
    "Japanese user interface, and zorvane-cli for the terminal.")
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
