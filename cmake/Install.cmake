# Installation in three components, which are the three Debian packages:
#   runtime  the shared libraries (by soname), the identity module and the keyword file
#   dev      headers, the unversioned library links, the CMake package and utility.pc
#   program  the `utility` host program with its completions and manual pages
include(CMakePackageConfigHelpers)

install(TARGETS UtilityPlatform Utility EXPORT UtilityTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime    # Windows: the DLLs
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev        # Windows: their import libraries
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/ ${PROJECT_SOURCE_DIR}/frame/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT UtilityTargets NAMESPACE Utility:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Utility COMPONENT dev)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/UtilityConfig.cmake.in
  ${CMAKE_BINARY_DIR}/UtilityConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Utility)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/UtilityConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/UtilityConfig.cmake ${CMAKE_BINARY_DIR}/UtilityConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Utility COMPONENT dev)

# utility.pc finds its prefix from where it lies, so the package is relocatable.
file(RELATIVE_PATH UTILITY_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
configure_file(${PROJECT_SOURCE_DIR}/cmake/utility.pc.in ${CMAKE_BINARY_DIR}/utility.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/utility.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

if(WIN32)
  include(cmake/WindowsPackage.cmake)
else()
  include(cmake/DebianPackages.cmake)
endif()
