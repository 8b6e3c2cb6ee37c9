# SPDX-License-Identifier: GPL-3.0-or-later

# Installing: a complete program folder PREFIX/lib/tunedeck (the program, its component folder and its tools,
# which find one another beside the real executable), the commands linked from PREFIX/bin, and the desktop
# entry, the icon, the AppStream metainfo, the manual pages, the changelog and the copyright file under
# PREFIX/share. scripts/package makes a Debian package of it.
include(GNUInstallDirs)

set(TUNEDECK_PROGRAM_DIR lib/tunedeck)
install(TARGETS tunedeck tunedeck-player tunedeck-tags RUNTIME DESTINATION ${TUNEDECK_PROGRAM_DIR})
get_property(plugins GLOBAL PROPERTY tunedeck_player_plugins)
install(TARGETS ${plugins} LIBRARY DESTINATION ${TUNEDECK_PROGRAM_DIR}/components)

# Relative links, so that the tree works under any prefix and inside the package.
set(links ${CMAKE_BINARY_DIR}/install/bin)
file(MAKE_DIRECTORY ${links})
foreach(command tunedeck tunedeck-player tunedeck-tags)
    file(CREATE_LINK ../${TUNEDECK_PROGRAM_DIR}/${command} ${links}/${command} SYMBOLIC)
    install(FILES ${links}/${command} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# Where the project is published: the metainfo's home page and screenshot, and its component ID; who answers
# for the package (its Maintainer, the changelog's signature, the copyright file's contact).
set(TUNEDECK_HOMEPAGE "https://github.com/tunedeck/tunedeck" CACHE STRING "The project's home page")
set(TUNEDECK_CONTACT "Tunedeck developers <maintainers@tunedeck.invalid>"
    CACHE STRING "The package maintainer, as \"Name <address>\"")
set(TUNEDECK_APP_ID io.github.tunedeck.tunedeck)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging}/tunedeck.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/tunedeck.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(${packaging}/tunedeck.metainfo.xml.in ${CMAKE_BINARY_DIR}/install/${TUNEDECK_APP_ID}.metainfo.xml
               @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/${TUNEDECK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual pages, the changelog and the copyright file, with the version and the contact filled in. Pages
# and changelog are compressed as Debian wants them, by gzip -9n: no name or time in the header, so the
# same sources always give the same bytes.
function(tunedeck_configure_gzipped source target)
    configure_file(${source} ${target} @ONLY)
    execute_process(COMMAND gzip -9n -c ${target} OUTPUT_FILE ${target}.gz COMMAND_ERROR_IS_FATAL ANY)
endfunction()

foreach(command tunedeck tunedeck-player tunedeck-tags)
    tunedeck_configure_gzipped(${packaging}/man/${command}.1 ${CMAKE_BINARY_DIR}/install/man/${command}.1)
    install(FILES ${CMAKE_BINARY_DIR}/install/man/${command}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# A version without a Debian revision makes a native package, whose changelog is changelog.gz. A new version
# wants a new entry at the top of packaging/changelog.in.
tunedeck_configure_gzipped(${packaging}/changelog.in ${CMAKE_BINARY_DIR}/install/changelog)
configure_file(${packaging}/copyright.in ${CMAKE_BINARY_DIR}/install/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/changelog.gz ${CMAKE_BINARY_DIR}/install/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: tunedeck_<version>_<architecture>.deb, installing under /usr, its dependencies read
# from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunedeck)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TUNEDECK_CONTACT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TUNEDECK_HOMEPAGE})
# What no binary links but the Japanese window wants: its glyphs and the player display's faces, Qt's dialogs
# in Japanese, a desktop application to open a file of the file list with, and what finds, names and mounts USB
# players.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic, fonts-ipafont-mincho, qt6-translations-l10n, xdg-utils, udisks2, media-player-info")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manager for the songs and folders of a Rio500 MP3 player")
set(CPACK_PACKAGE_DESCRIPTION
    "Tunedeck manages a portable MP3 player with an internal memory and a
SmartMedia card from one window: it sends, downloads, deletes and
reorders songs, creates and removes folders and formats a memory. The
interface is Japanese. It ships an emulated player, which tunedeck-player
controls, and manages USB mass-storage players with their internal
memory and card; tunedeck-tags prints the tags of music files.")
include(CPack)
