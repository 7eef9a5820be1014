# Install rules and packages.
#
# An installed Kitrova (cmake --install, the .deb) follows the usual layout: the executables
# in bin/, the pictures and seed catalog in share/kitrova/, the desktop entry, icon and
# AppStream data where desktops look for them, the licence and change logs in
# share/doc/kitrova/. Qt's Russian texts are Qt's own (qt6-translations-l10n). The program
# then keeps the user's files in a per-user folder seeded from share/kitrova/.
#
# The portable archive (.tar.gz) is the component "Portable", installed only into that
# archive: the executables with Pic/, Backup/base.krv and a copy of Qt's Russian texts
# beside them, as the program expects when it keeps its files beside itself, and the
# README, licence and change log.
include(GNUInstallDirs)

set(KITROVA_APP_ID org.kitrova.Kitrova)
set(KITROVA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kitrova)
set(KITROVA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kitrova)
set(KITROVA_HOMEPAGE "https://kitrova.org/")
set(KITROVA_BUGTRACKER "https://kitrova.org/issues/")
set(KITROVA_SOURCE "https://kitrova.org/source/")
set(KITROVA_SCREENSHOTS "https://kitrova.org/screenshots")
set(KITROVA_MAINTAINER "Kitrova developers <dev@kitrova.org>")
# The Debian revision of this packaging of PROJECT_VERSION.
set(KITROVA_DEBIAN_REVISION 1)

find_file(KITROVA_QTBASE_RU qtbase_ru.qm
  PATHS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS} /usr/share/qt6/translations
  NO_DEFAULT_PATH)
if(NOT KITROVA_QTBASE_RU)
  message(STATUS "qtbase_ru.qm not found (Debian: qt6-translations-l10n): the portable "
                 "archive gets Qt's English buttons")
endif()

# The AppStream releases are the headings of CHANGELOG.md: "## 0.2.0 (2026-12-09)".
set(KITROVA_CHANGELOG ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
file(STRINGS ${KITROVA_CHANGELOG} kitrova_release_lines
     REGEX "^## [0-9][0-9.]* \\([0-9-]+\\)$")
set(KITROVA_METAINFO_RELEASES "")
foreach(line IN LISTS kitrova_release_lines)
  string(REGEX REPLACE "^## ([0-9.]+) \\(([0-9-]+)\\)$" "\\1;\\2" release "${line}")
  list(GET release 0 version)
  list(GET release 1 date)
  string(APPEND KITROVA_METAINFO_RELEASES
         "    <release version=\"${version}\" date=\"${date}\"/>\n")
endforeach()
if(NOT KITROVA_METAINFO_RELEASES MATCHES "version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "CHANGELOG.md has no heading for version ${PROJECT_VERSION}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/assets/linux/${KITROVA_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${KITROVA_APP_ID}.metainfo.xml @ONLY)

# Debian wants its change logs compressed with gzip -9n (no name, no time: reproducible).
function(kitrova_gzip source target)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  execute_process(COMMAND gzip -9nc INPUT_FILE ${source} OUTPUT_FILE ${target}
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/doc)
kitrova_gzip(${PROJECT_SOURCE_DIR}/assets/linux/debian/changelog
             ${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz)
kitrova_gzip(${KITROVA_CHANGELOG} ${PROJECT_BINARY_DIR}/doc/changelog.gz)

# -- system-wide layout ----------------------------------------------------------------
install(TARGETS kitrova RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/Pic DESTINATION ${KITROVA_DATA_DIR}
        COMPONENT Runtime)
install(FILES ${PROJECT_SOURCE_DIR}/assets/Backup/base.krv
        DESTINATION ${KITROVA_DATA_DIR}/Backup COMPONENT Runtime)
install(FILES ${PROJECT_SOURCE_DIR}/assets/linux/${KITROVA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Runtime)
install(FILES ${PROJECT_BINARY_DIR}/${KITROVA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT Runtime)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/${size}x${size}/kitrova.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          COMPONENT Runtime)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/linux/debian/copyright
              ${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz ${PROJECT_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${KITROVA_DOC_DIR} COMPONENT Runtime)

# -- portable layout (only in the .tar.gz) ---------------------------------------------
install(TARGETS kitrova RUNTIME DESTINATION . COMPONENT Portable EXCLUDE_FROM_ALL)
if(TARGET kitrova-cli)
  install(TARGETS kitrova-cli RUNTIME DESTINATION . COMPONENT Portable EXCLUDE_FROM_ALL)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/Pic DESTINATION . COMPONENT Portable
        EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/assets/Backup/base.krv DESTINATION Backup
        COMPONENT Portable EXCLUDE_FROM_ALL)
if(KITROVA_QTBASE_RU)
  install(FILES ${KITROVA_QTBASE_RU} DESTINATION . COMPONENT Portable EXCLUDE_FROM_ALL)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${KITROVA_CHANGELOG}
        DESTINATION . COMPONENT Portable EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/assets/linux/debian/copyright DESTINATION .
        RENAME COPYRIGHT COMPONENT Portable EXCLUDE_FROM_ALL)

# -- packages ----------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME kitrova)
set(CPACK_PACKAGE_VENDOR "Kitrova")
set(CPACK_PACKAGE_CONTACT "${KITROVA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KITROVA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalog of software installers")
# The summary comes first; Debian wants lines of at most 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kitrova keeps a catalog of the setup programs and archives in a folder:
the name, type, licence, year, comment and path of each. It shows them
as a sortable grid, searches them and starts an installer with the
system's open action. kitrova-cli reads and writes the same catalogs.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KITROVA_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KITROVA_HOMEPAGE})
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Library dependencies are read from the executables by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Russian buttons, and the desktop's "open" for starting an installer.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_PACKAGE_FILE_NAME kitrova-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackagingPerGenerator.cmake)
include(CPack)

# The desktop metadata is checked with the tools desktops use, where installed.
if(KITROVA_BUILD_TESTS)
  find_program(KITROVA_APPSTREAMCLI appstreamcli)
  if(KITROVA_APPSTREAMCLI)
    add_test(NAME install.MetainfoIsValid
             COMMAND ${KITROVA_APPSTREAMCLI} validate --no-net --pedantic
                     ${PROJECT_BINARY_DIR}/${KITROVA_APP_ID}.metainfo.xml)
  endif()
  find_program(KITROVA_DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(KITROVA_DESKTOP_FILE_VALIDATE)
    add_test(NAME install.DesktopEntryIsValid
             COMMAND ${KITROVA_DESKTOP_FILE_VALIDATE}
                     ${PROJECT_SOURCE_DIR}/assets/linux/${KITROVA_APP_ID}.desktop)
  endif()
endif()
