# Installs the build into a temporary prefix, then builds and runs a small consumer program against
# it through pkg-config (scripts/package-test.sh builds the same program through find_package
# against the unpacked Debian package).
set(prefix ${BINARY_DIR}/consumer-test/prefix)
set(build ${BINARY_DIR}/consumer-test/build)
file(REMOVE_RECURSE ${BINARY_DIR}/consumer-test)

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()

set(flags "")
if(SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()
file(MAKE_DIRECTORY ${build})

find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs utility OUTPUT_VARIABLE pc RESULT_VARIABLE rc
  OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know utility: ${rc}")
endif()
# No RUNPATH is forced on consumers; SQLite is listed for static links only.
if(pc MATCHES "rpath")
  message(FATAL_ERROR "utility.pc passes a RUNPATH: ${pc}")
endif()
execute_process(COMMAND ${PKG_CONFIG} --static --libs utility OUTPUT_VARIABLE static_libs)
if(NOT static_libs MATCHES "-lsqlite3")
  message(FATAL_ERROR "utility.pc does not list SQLite for static links: ${static_libs}")
endif()
separate_arguments(pc_flags UNIX_COMMAND "${pc}")
separate_arguments(san_flags UNIX_COMMAND "${flags}")
execute_process(COMMAND ${CXX} ${san_flags} ${CONSUMER_DIR}/main.cpp ${pc_flags}
  -o ${build}/consumer-pc RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config consumer build failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR} ${build}/consumer-pc
  RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "consumer: ok")
  message(FATAL_ERROR "pkg-config consumer run failed: ${rc} ${out}")
endif()
