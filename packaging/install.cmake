# What `cmake --install` puts where, and the Debian package cpack makes of it:
#   games/moorclash                    the program
#   share/moorclash/                   every file it reads (never written)
#   share/applications, share/metainfo, share/icons/hicolor, share/man/man6
#   share/doc/moorclash/copyright and changelog.gz
set(MOOR_APP_ID org.moorclash.Moorclash)
set(MOOR_FULL_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/moorclash)
set(MOOR_SCREENSHOT_URL "https://moorclash.example/screenshots/match.png" CACHE STRING
    "Where the store pages find the screenshot the build makes (share/moorclash/screenshot.png)")
set(MOOR_MAINTAINER "The Moorclash developers <developers@moorclash.example>" CACHE STRING
    "The package's maintainer, name and mail address")
string(TIMESTAMP MOOR_RELEASE_DATE "%Y-%m-%d" UTC)

install(TARGETS moorclash RUNTIME DESTINATION ${MOOR_INSTALL_PROGRAM_DIR})
# The drawn and synthesised assets from the program folder; the hand-made
# files from the source, so nothing a build/bin run wrote (settings.dat,
# changed keys, saved maps) is ever shipped.
install(DIRECTORY ${MOOR_BIN_DIR}/ DESTINATION ${MOOR_INSTALL_DATA_DIR}
        FILES_MATCHING PATTERN "*.bmp" PATTERN "*.wav")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${MOOR_INSTALL_DATA_DIR})

# The picture of a match for the store pages, drawn off screen by the game.
set(_shot ${CMAKE_BINARY_DIR}/packaging/screenshot.png)
add_custom_command(
  OUTPUT ${_shot}
  COMMAND ${CMAKE_COMMAND} -E env DISPLAY= SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:moorclash> --map "Green Acres" --bots 6 --seed 2 --seconds 4 --screenshot ${_shot}
  DEPENDS moorclash moor_assets
  COMMENT "Taking the screenshot for the store pages"
  VERBATIM)
# The man page, compressed as Debian wants it.
configure_file(${CMAKE_SOURCE_DIR}/packaging/moorclash.6 ${CMAKE_BINARY_DIR}/packaging/moorclash.6 @ONLY)
set(_man ${CMAKE_BINARY_DIR}/packaging/moorclash.6.gz)
add_custom_command(
  OUTPUT ${_man}
  COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/packaging/moorclash.6 > ${_man}
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/moorclash.6
  VERBATIM)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
set(_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
  OUTPUT ${_changelog}
  COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/packaging/changelog > ${_changelog}
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(moor_packaging_files ALL DEPENDS ${_shot} ${_man} ${_changelog})

configure_file(${CMAKE_SOURCE_DIR}/packaging/${MOOR_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${MOOR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_shot} DESTINATION ${MOOR_INSTALL_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${MOOR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${MOOR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/moorclash-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps RENAME moorclash.png)
endforeach()
install(FILES ${_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/moorclash)

# `cpack -G DEB` in the build folder: moorclash_<version>_amd64.deb. The
# libraries it needs are computed by dpkg-shlibdeps from the program itself;
# only the font, which the program opens by name, is stated.
set(CPACK_PACKAGE_NAME moorclash)
set(CPACK_PACKAGE_VENDOR "The Moorclash developers")
set(CPACK_PACKAGE_CONTACT "${MOOR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "top-down vehicle combat against bots and other players")
set(CPACK_PACKAGE_DESCRIPTION "One player, or two on one keyboard with a split screen, drive tanks,
hovercraft and hummers across tiled maps against bots and against players
on other machines: seven weapons plus mines and self-destruct;
Deathmatch, Team War and Capture The Cow.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
