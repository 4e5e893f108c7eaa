# The Windows package: one zip, `cpack -G ZIP` in the windows build, that unpacks to
#   utility-VERSION-windows-x86_64/bin      utility.exe, Utility.dll, UtilityPlatform.dll,
#                                           DiskID.dll, KeyWords.ini and the C++ runtime DLLs
#   utility-VERSION-windows-x86_64/include  the headers
#   utility-VERSION-windows-x86_64/lib      the import libraries and the CMake package
# Everything runs from bin/ as it lies: the system finds a program's DLLs beside it.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Utility developers")
set(CPACK_PACKAGE_FILE_NAME utility-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "")  # bin/, include/ and lib/ at the top of the zip
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT runtime)
include(CPack)
