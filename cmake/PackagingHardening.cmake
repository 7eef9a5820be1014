# Debian's hardening for the optimised build that is packaged: fortified functions, stack
# protector, read-only relocations bound at start (full RELRO). The flags come from
# dpkg-buildflags, as for any Debian package, so they follow Debian's defaults; the
# compiler already builds position-independent executables.
option(KITROVA_HARDEN "Build the Release configuration with dpkg-buildflags' hardening" ON)

if(KITROVA_HARDEN AND CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT KITROVA_SANITIZE
   AND NOT WIN32 AND NOT MSVC)
  find_program(KITROVA_DPKG_BUILDFLAGS dpkg-buildflags)
  if(NOT KITROVA_DPKG_BUILDFLAGS)
    message(WARNING "dpkg-buildflags not found (Debian: dpkg-dev): Release build not hardened")
  else()
    function(kitrova_buildflags area out)
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${KITROVA_DPKG_BUILDFLAGS} --get ${area}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      separate_arguments(flags UNIX_COMMAND "${flags}")
      # Packaged files are stripped, so debugging information only slows the build; the
      # optimisation level stays the build type's own.
      list(FILTER flags EXCLUDE REGEX "^-g$|^-O[0-9s]?$|^-ffile-prefix-map=")
      set(${out} ${flags} PARENT_SCOPE)
    endfunction()
    kitrova_buildflags(CPPFLAGS kitrova_cppflags)
    kitrova_buildflags(CXXFLAGS kitrova_cxxflags)
    kitrova_buildflags(LDFLAGS kitrova_ldflags)
    add_compile_options(${kitrova_cppflags} ${kitrova_cxxflags})
    add_link_options(${kitrova_ldflags})
    message(STATUS "Hardened with: ${kitrova_cppflags} ${kitrova_cxxflags} ${kitrova_ldflags}")
  endif()
endif()
