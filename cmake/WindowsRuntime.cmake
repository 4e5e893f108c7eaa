# The C++ runtime of the mingw-w64 compiler (libstdc++, libgcc, winpthreads) as DLLs beside the
# programs, staged and installed: the libraries pass standard types and exceptions between
# them, so they share one runtime rather than each linking a static copy.
set(UTILITY_WINDOWS_RUNTIME)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler's runtime ${dll} was not found")
  endif()
  list(APPEND UTILITY_WINDOWS_RUNTIME ${path})
endforeach()
file(COPY ${UTILITY_WINDOWS_RUNTIME} DESTINATION ${UTILITY_STAGE_DIR}/bin)
install(FILES ${UTILITY_WINDOWS_RUNTIME} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
