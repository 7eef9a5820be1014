# Manual pages of kitrova and kitrova-cli, the completion of kitrova-cli and the JSON schema,
# installed by the .deb (man pages gzip-compressed, as Debian wants) and carried by the
# portable archive. The page sources sit beside the code; tests/cli checks the kitrova-cli
# page and the completion against --help.
include(GNUInstallDirs)
find_program(KITROVA_GZIP gzip)

set(KITROVA_MANUALS ${PROJECT_SOURCE_DIR}/app/kitrova.1 ${PROJECT_SOURCE_DIR}/cli/kitrova-cli.1)
set(KITROVA_MANUALS_GZ)
if(KITROVA_GZIP)
  foreach(page ${KITROVA_MANUALS})
    get_filename_component(name ${page} NAME)
    set(gz ${PROJECT_BINARY_DIR}/man/${name}.gz)
    # -n: no name or time inside, so the package builds the same bytes every time.
    add_custom_command(OUTPUT ${gz}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${KITROVA_GZIP} -9 -n -c ${page} > ${gz}
      DEPENDS ${page} VERBATIM)
    list(APPEND KITROVA_MANUALS_GZ ${gz})
  endforeach()
  add_custom_target(kitrova_manuals ALL DEPENDS ${KITROVA_MANUALS_GZ})
  install(FILES ${KITROVA_MANUALS_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${KITROVA_MANUALS_GZ} DESTINATION man/man1 COMPONENT Portable EXCLUDE_FROM_ALL)
else()
  install(FILES ${KITROVA_MANUALS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${KITROVA_MANUALS} DESTINATION man/man1 COMPONENT Portable EXCLUDE_FROM_ALL)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/cli/kitrova-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kitrova-cli)
install(FILES ${PROJECT_SOURCE_DIR}/cli/kitrova-cli.bash DESTINATION bash-completion
        RENAME kitrova-cli COMPONENT Portable EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/docs/kitrova-cli-json.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kitrova)
install(FILES ${PROJECT_SOURCE_DIR}/docs/kitrova-cli-json.md DESTINATION .
        COMPONENT Portable EXCLUDE_FROM_ALL)
