# String tables: utility_add_string_table(<target> <source.txt>) compiles a plain text source
# into <target> at build time, so that LoadStringW finds its strings through the module's
# handle. Any library, module or executable of the project may carry one table.
#
# The source is UTF-8 text, one string per line:
#
#   # a comment (a line whose first non-blank character is #); blank lines are skipped
#   101 Text up to the end of the line
#   0x66 Identifiers are decimal or 0x-hexadecimal, 0 to 65535, each used once
#   102 Escapes: \\ \" \n \r \t \uXXXX \UXXXXXXXX; a double quote must be written \"
#   103 \u0020Leading blanks are written \u0020; trailing blanks are kept as they stand
#   104
#
# (the last line is the empty string). The strings are UTF-16 in the module, as the source's
# characters give them (a character beyond U+FFFF takes two units).

set(UTILITY_STRING_TABLE_COMPILER ${CMAKE_CURRENT_LIST_DIR}/StringTableCompile.cmake)

function(utility_add_string_table target source)
  get_filename_component(source ${source} ABSOLUTE)
  get_filename_component(stem ${source} NAME_WE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_StringTable.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${source} -DOUTPUT=${output} -P ${UTILITY_STRING_TABLE_COMPILER}
    DEPENDS ${source} ${UTILITY_STRING_TABLE_COMPILER}
    COMMENT "Compiling the string table ${stem} of ${target}"
    VERBATIM)
  # An object library of this directory carries the generated source, so that the table can be
  # added to a target of any directory.
  add_library(${target}_${stem}_StringTable OBJECT ${output})
  if(TARGET UtilityPlatform)
    target_link_libraries(${target}_${stem}_StringTable PRIVATE UtilityPlatform)
    target_link_libraries(${target} PRIVATE UtilityPlatform)
  endif()
  target_link_libraries(${target} PRIVATE ${target}_${stem}_StringTable)
  # An executable's table is found through its dynamic symbol table.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
  endif()
endfunction()
