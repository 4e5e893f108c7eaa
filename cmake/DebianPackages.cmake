# The Debian packages, one per install component: `cpack -G DEB` in a build directory makes
#   libutility1      the shared libraries (named by their soname), the identity module and the
#                    keyword file
#   libutility-dev   headers, library links, the CMake package and utility.pc
#   utility          the host program, its completions and manual pages
# Each carries its copyright and changelog; binaries are stripped and lose the RUNPATH the
# relocatable install keeps (the loader finds the libraries in the multiarch directory); the
# library package has shlibs and symbols files and uses dpkg's ldconfig trigger. What lintian
# still reports is overridden in packaging/debian/*.lintian-overrides, with the reason.
set(UTILITY_RUNTIME_PACKAGE libutility${PROJECT_VERSION_MAJOR})
set(CPACK_PACKAGE_NAME utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Utility developers <utility@example.org>")
set(CPACK_PACKAGE_VENDOR "The Utility developers")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/utility")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev program)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program's libraries are in the runtime package, not yet installed when it is built.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${UTILITY_STAGE_DIR}/${CMAKE_INSTALL_LIBDIR})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianStage.cmake)

set(UTILITY_DESCRIPTION_BODY
  "Utility is a C++20 library for the small jobs of desktop applications:\n"
  "text conversion between 8-bit code pages and UTF-16; showing, parsing\n"
  "and comparing variant values; bits and digits of numbers; checks of\n"
  "user-typed names, numbers and IPv4 addresses; whole-word replacement;\n"
  "directories; a registry store; an append-only track log; and machine\n"
  "identity.")
string(CONCAT UTILITY_DESCRIPTION_BODY ${UTILITY_DESCRIPTION_BODY})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${UTILITY_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The shlibs file names this package for both sonames, and the loader's cache is refreshed by
# dpkg's ldconfig trigger rather than by maintainer scripts.
file(WRITE ${CMAKE_BINARY_DIR}/debian/runtime/shlibs
  "libUtility ${PROJECT_VERSION_MAJOR} ${UTILITY_RUNTIME_PACKAGE} (>= ${PROJECT_VERSION})\n"
  "libUtilityPlatform ${PROJECT_VERSION_MAJOR} ${UTILITY_RUNTIME_PACKAGE} (>= ${PROJECT_VERSION})\n")
file(WRITE ${CMAKE_BINARY_DIR}/debian/runtime/triggers "activate-noawait ldconfig\n")
# The symbols file is written at packaging time from the staged libraries (DebianStage.cmake).
set(CPACK_UTILITY_SYMBOLS_FILE ${CMAKE_BINARY_DIR}/debian/runtime/symbols)
set(CPACK_UTILITY_RUNTIME_PACKAGE ${UTILITY_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/runtime/shlibs
  ${CMAKE_BINARY_DIR}/debian/runtime/triggers ${CPACK_UTILITY_SYMBOLS_FILE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "C++ utility library (shared libraries)\n${UTILITY_DESCRIPTION_BODY}\n\nThis package holds the shared libraries, the identity module and the\nstarter keyword file.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libutility-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${UTILITY_RUNTIME_PACKAGE} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEV_DESCRIPTION "C++ utility library (development files)\n${UTILITY_DESCRIPTION_BODY}\n\nThis package holds the headers, the CMake package\n(find_package(Utility)) and the pkg-config file (utility.pc).")

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME utility)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "${UTILITY_RUNTIME_PACKAGE} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "command-line front end of the Utility library\n${UTILITY_DESCRIPTION_BODY}\n\nThis package holds the utility program, which runs every operation\nof the library from a shell, with its completions and manual pages.")

# Per package: the copyright file and the changelog, compressed as Debian wants (gzip -9n).
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)
set(UTILITY_CHANGELOG ${CMAKE_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${UTILITY_CHANGELOG}
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${UTILITY_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
add_custom_target(utility_changelog ALL DEPENDS ${UTILITY_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/${UTILITY_RUNTIME_PACKAGE}.lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${UTILITY_RUNTIME_PACKAGE} COMPONENT runtime)
foreach(pair IN ITEMS "runtime;${UTILITY_RUNTIME_PACKAGE}" "dev;libutility-dev" "program;utility")
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${UTILITY_CHANGELOG}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

include(CPack)
