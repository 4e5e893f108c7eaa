# Installation: headers under include/Utility, the libraries, bin/utility with the files that
# lie beside it, a CMake package (Utility::Utility) and utility.pc.
include(CMakePackageConfigHelpers)

install(TARGETS UtilityPlatform Utility EXPORT UtilityTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/ ${PROJECT_SOURCE_DIR}/frame/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT UtilityTargets NAMESPACE Utility:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Utility)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/UtilityConfig.cmake.in
  ${CMAKE_BINARY_DIR}/UtilityConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Utility)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/UtilityConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/UtilityConfig.cmake ${CMAKE_BINARY_DIR}/UtilityConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Utility)

# utility.pc finds its prefix from where it lies, so the package is relocatable.
file(RELATIVE_PATH UTILITY_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
configure_file(${PROJECT_SOURCE_DIR}/cmake/utility.pc.in ${CMAKE_BINARY_DIR}/utility.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/utility.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# A Debian package of everything above: `cpack -G DEB` in a build directory.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME libutility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Utility library: text, variants, names, files, registry, track log, identity")
set(CPACK_PACKAGE_CONTACT "Utility developers <utility@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
