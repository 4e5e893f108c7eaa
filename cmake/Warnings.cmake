# Warnings are errors, for every target of the project.
add_compile_options(
  -Wall -Wextra -Wpedantic -Werror
  -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wconversion
  -Wimplicit-fallthrough)
# GCC 12 reports -Wrestrict false positives inside libstdc++'s string concatenation at -O2
# and above (GCC bug 105329); the warning is kept for every other compiler.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
# Clang's -Wconversion also covers sign changes, which GCC leaves to -Wsign-conversion; keep
# the two compilers to the same set.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_compile_options(-Wno-sign-conversion)
endif()
