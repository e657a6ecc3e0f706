# SPDX-License-Identifier: MIT
# What `cmake --install` puts beside the two programs (their own rules are in src/app and src/cli), and the
# Debian package `cpack -G DEB` makes of it. Every desktop-facing file is named after TRELMARK_APP_ID, the id
# the window also reports as its desktop file name, so that desktops tie the running window to its menu
# entry and icon.

set(TRELMARK_ICON_SIZES 16 32 48 64 128 256)
set(_dist ${PROJECT_SOURCE_DIR}/dist)
set(_icons ${PROJECT_SOURCE_DIR}/src/ui/icons)

set(TRELMARK_MAINTAINER "Trelmark developers <trelmark@users.noreply.github.com>")
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/trelmark)
find_program(TRELMARK_GZIP gzip REQUIRED)

# Manual pages and the changelog are installed compressed, as Debian wants them; -n keeps the name and time
# out of the archive, so that two builds of one source give the same bytes.
set(_compressed)
function(trelmark_gzip source)
    add_custom_command(OUTPUT ${source}.gz
        COMMAND ${TRELMARK_GZIP} -9 -n -c ${source} > ${source}.gz
        DEPENDS ${source} VERBATIM)
    set(_compressed ${_compressed} ${source}.gz PARENT_SCOPE)
endfunction()

set(_pages trelmark-report)
if(TRELMARK_BUILD_GUI)
    list(APPEND _pages trelmark)
endif()
foreach(_page IN LISTS _pages)
    configure_file(${_dist}/${_page}.1.in ${PROJECT_BINARY_DIR}/dist/${_page}.1 @ONLY)
    trelmark_gzip(${PROJECT_BINARY_DIR}/dist/${_page}.1)
    install(FILES ${PROJECT_BINARY_DIR}/dist/${_page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# A native package's changelog is changelog.gz; it is in Debian's format all the same.
configure_file(${_dist}/changelog.in ${PROJECT_BINARY_DIR}/dist/changelog @ONLY)
trelmark_gzip(${PROJECT_BINARY_DIR}/dist/changelog)
install(FILES ${PROJECT_BINARY_DIR}/dist/changelog.gz DESTINATION ${_docdir})
install(FILES ${_dist}/copyright DESTINATION ${_docdir})
add_custom_target(trelmark_compressed_docs ALL DEPENDS ${_compressed})

# Where bash-completion looks for a command's completion, below the prefix (pkg-config's completionsdir is
# /usr/share/bash-completion/completions, the package's prefix).
install(FILES ${_dist}/trelmark-report.bash-completion
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME trelmark-report)

if(TRELMARK_BUILD_GUI)
    install(FILES ${_dist}/${TRELMARK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${_dist}/${TRELMARK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(_size IN LISTS TRELMARK_ICON_SIZES)
        install(FILES ${_icons}/icon-${_size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
            RENAME ${TRELMARK_APP_ID}.png)
    endforeach()
    install(FILES ${_icons}/icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TRELMARK_APP_ID}.svg)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trelmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Trelmark developers")
set(CPACK_PACKAGE_CONTACT "${TRELMARK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRELMARK_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/trelmark/trelmark")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show how the space below a directory is divided")
# Kept under 80 columns: apt and dpkg show the lines as they are.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Trelmark surveys one directory and shows, for the directory as a whole,\n"
    "for its own files and for each immediate sub-directory, the bytes, the\n"
    "share of the drive and of everything measured and, when asked, the files\n"
    "and directories below. One parallel walk per survey; the window stays\n"
    "responsive and a stop is honoured at once.\n"
    "\n"
    "The package holds the window, trelmark, and trelmark-report, which prints\n"
    "the same survey on a terminal as text, CSV or JSON.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories in the package get the usual modes whatever the umask of the machine that builds it.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see, because Qt loads it at run time or the text needs it: the xcb platform
# plugin, the SVG icon engine and image plugin, Qt's own Japanese texts for the file dialog, and a font
# with the Japanese captions.
if(TRELMARK_BUILD_GUI)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n, fonts-ipafont-gothic")
endif()

include(CPack)
