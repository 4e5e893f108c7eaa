# Writes the C++ source of a string table (cmake -DINPUT=<source.txt> -DOUTPUT=<file.cpp> -P
# StringTableCompile.cmake). The format of the source is described in StringTable.cmake.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED INPUT OR NOT DEFINED OUTPUT)
  message(FATAL_ERROR "usage: cmake -DINPUT=<source.txt> -DOUTPUT=<file.cpp> -P StringTableCompile.cmake")
endif()

file(READ ${INPUT} content)
set(hex "[0-9a-fA-F]")
set(escape "\\\\(\\\\|n|r|t|\"|u${hex}${hex}${hex}${hex}|U${hex}${hex}${hex}${hex}${hex}${hex}${hex}${hex})")

set(entries "")
set(seen "")
set(number 0)
# Lines are cut by hand rather than through a CMake list, which would split at ';' and
# mishandle brackets.
string(LENGTH "${content}" remaining)
while(remaining GREATER 0)
  string(FIND "${content}" "\n" newline)
  if(newline EQUAL -1)
    set(line "${content}")
    set(content "")
  else()
    string(SUBSTRING "${content}" 0 ${newline} line)
    math(EXPR next "${newline} + 1")
    string(SUBSTRING "${content}" ${next} -1 content)
  endif()
  string(LENGTH "${content}" remaining)
  math(EXPR number "${number} + 1")
  string(REGEX REPLACE "\r$" "" line "${line}")
  if(line MATCHES "^[ \t]*$" OR line MATCHES "^[ \t]*#")
    continue()
  endif()
  if(NOT line MATCHES "^[ \t]*(0[xX][0-9a-fA-F]+|[0-9]+)([ \t](.*))?$")
    message(FATAL_ERROR "${INPUT}:${number}: expected an identifier, a blank and the text")
  endif()
  set(idText "${CMAKE_MATCH_1}")
  set(text "${CMAKE_MATCH_3}")
  string(LENGTH "${idText}" idLength)
  if(idLength GREATER 10)
    message(FATAL_ERROR "${INPUT}:${number}: identifier ${idText} is above 65535")
  endif()
  math(EXPR id "${idText}")
  if(id GREATER 65535)
    message(FATAL_ERROR "${INPUT}:${number}: identifier ${idText} is above 65535")
  endif()
  if(id IN_LIST seen)
    message(FATAL_ERROR "${INPUT}:${number}: identifier ${id} is used twice")
  endif()
  list(APPEND seen ${id})
  string(REGEX REPLACE "${escape}" "" bare "${text}")
  if(bare MATCHES "\\\\")
    message(FATAL_ERROR "${INPUT}:${number}: unknown escape (known: \\\\ \\\" \\n \\r \\t \\uXXXX \\UXXXXXXXX)")
  endif()
  if(bare MATCHES "\"")
    message(FATAL_ERROR "${INPUT}:${number}: write a double quote as \\\"")
  endif()
  string(APPEND entries "    Entry(${id}, u\"${text}\"),\n")
endwhile()

if(entries STREQUAL "")
  set(entries "    Entry(0, u\"\"),\n")
  set(count 0)
else()
  list(LENGTH seen count)
endif()

file(WRITE ${OUTPUT}.tmp "// Generated from ${INPUT}: do not edit.
#include <Utility/Platform/Resource.h>

#include <cstddef>

namespace {

template <std::size_t N>
constexpr StringTableEntry Entry(UINT id, const char16_t (&text)[N]) {
  return StringTableEntry{id, static_cast<UINT>(N - 1), text};
}

constexpr StringTableEntry kEntries[] = {
${entries}};

constexpr StringTable kTable = {UTILITY_STRING_TABLE_VERSION, ${count}u, kEntries};

}  // namespace

// A function rather than an exported object: every module may carry one under the same name
// without two loaded objects defining one global twice.
#ifdef _WIN32
#define UTILITY_STRING_TABLE_EXPORT __declspec(dllexport)
#else
#define UTILITY_STRING_TABLE_EXPORT __attribute__((visibility(\"default\")))
#endif
extern \"C\" UTILITY_STRING_TABLE_EXPORT const StringTable* UtilityStringTable() noexcept;
extern \"C\" UTILITY_STRING_TABLE_EXPORT const StringTable* UtilityStringTable() noexcept {
  return &kTable;
}
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
