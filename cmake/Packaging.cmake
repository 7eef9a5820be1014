# Install rules and packages.
#
# An installed Kitrova (cmake --install, the .deb) follows the usual layout: the executable
# in bin/, its pictures, seed catalog and Qt's Russian texts in share/kitrova/, the desktop
# entry, icon and AppStream data where desktops look for them. The program then keeps the
# user's files in a per-user folder seeded from share/kitrova/.
#
# The portable archive (.tar.gz) is the component "Portable", installed only into that
# archive: the executable with Pic/, Backup/base.krv and qtbase_ru.qm beside it, as the
# program expects when it keeps its files beside itself.
include(GNUInstallDirs)

set(KITROVA_APP_ID org.kitrova.Kitrova)
set(KITROVA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kitrova)

find_file(KITROVA_QTBASE_RU qtbase_ru.qm
  PATHS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS} /usr/share/qt6/translations
  NO_DEFAULT_PATH)
if(NOT KITROVA_QTBASE_RU)
  message(STATUS "qtbase_ru.qm not found (Debian: qt6-translations-l10n): packages get "
                 "Qt's English buttons")
endif()

configure_file(${PROJECT_SOURCE_DIR}/assets/linux/${KITROVA_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${KITROVA_APP_ID}.metainfo.xml @ONLY)

# -- system-wide layout ----------------------------------------------------------------
install(TARGETS kitrova RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/Pic DESTINATION ${KITROVA_DATA_DIR}
        COMPONENT Runtime)
install(FILES ${PROJECT_SOURCE_DIR}/assets/Backup/base.krv
        DESTINATION ${KITROVA_DATA_DIR}/Backup COMPONENT Runtime)
if(KITROVA_QTBASE_RU)
  install(FILES ${KITROVA_QTBASE_RU} DESTINATION ${KITROVA_DATA_DIR} COMPONENT Runtime)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/assets/linux/${KITROVA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Runtime)
install(FILES ${PROJECT_BINARY_DIR}/${KITROVA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT Runtime)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/${size}x${size}/kitrova.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          COMPONENT Runtime)
endforeach()

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

# -- packages ----------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME kitrova)
set(CPACK_PACKAGE_VENDOR "Kitrova")
set(CPACK_PACKAGE_CONTACT "Kitrova <kitrova@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Catalog of software installers")
set(CPACK_PACKAGE_DESCRIPTION "Keeps a catalog of the setup programs and archives in a \
folder: name, type, licence, year, comment and path of each; sorts, searches and starts them.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Library dependencies are read from the executables by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_PACKAGE_FILE_NAME kitrova-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackagingPerGenerator.cmake)
include(CPack)

# The desktop metadata is checked with the tools desktops use, where installed.
if(KITROVA_BUILD_TESTS)
  find_program(KITROVA_APPSTREAMCLI appstreamcli)
  if(KITROVA_APPSTREAMCLI)
    add_test(NAME install.MetainfoIsValid
             COMMAND ${KITROVA_APPSTREAMCLI} validate --no-net
                     ${PROJECT_BINARY_DIR}/${KITROVA_APP_ID}.metainfo.xml)
  endif()
  find_program(KITROVA_DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(KITROVA_DESKTOP_FILE_VALIDATE)
    add_test(NAME install.DesktopEntryIsValid
             COMMAND ${KITROVA_DESKTOP_FILE_VALIDATE}
                     ${PROJECT_SOURCE_DIR}/assets/linux/${KITROVA_APP_ID}.desktop)
  endif()
endif()
