# Warnings are errors, for every target of the project.
add_compile_options(
  -Wall -Wextra -Wpedantic -Werror
  -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wconversion
  -Wnull-dereference -Wimplicit-fallthrough)
