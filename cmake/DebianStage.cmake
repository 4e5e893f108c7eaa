# Run by CPack on the staged files before it builds the Debian packages:
# - the binaries lose the RUNPATH of the relocatable install, since the packaged libraries lie
#   where the loader looks;
# - the library package's symbols file is generated from the staged shared libraries.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
set(libraries "")
foreach(file IN LISTS staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    file(RPATH_REMOVE FILE "${file}")
    if(file MATCHES "/lib[^/]*\\.so\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
      list(APPEND libraries "-e${file}")
    endif()
  endif()
endforeach()
execute_process(COMMAND dpkg-gensymbols -q -p${CPACK_UTILITY_RUNTIME_PACKAGE} -v${CPACK_PACKAGE_VERSION}
  ${libraries} -O${CPACK_UTILITY_SYMBOLS_FILE} COMMAND_ERROR_IS_FATAL ANY)
