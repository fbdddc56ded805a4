# Checks that each library under SOURCE_DIR includes only the libraries it may depend on, so an
# include that runs back up a layer fails the tests. Run as a script:
#   cmake -DSOURCE_DIR=<folder holding one folder a library> -P LibraryLayers.cmake
#
# A library's own sources may include the libraries of its row. Its tests and fuzzers may in
# addition include the test support and the libraries of its row in kTestsMayAlsoUse.

cmake_minimum_required(VERSION 3.25)

# library: the libraries it may include, lowest first.
set(kLayers
  "cipher:"
  "util:"
  "net:util"
  "ui:util"
  "brand:util cipher"
  "news:util net"
  "update:util net"
  "generator:util cipher"
  "preview:util generator"
  "trial:util generator"
  "publish:util cipher net generator"
  "testsupport:util generator"
  "shell:util cipher net ui brand news update generator preview trial publish"
  "cli:util cipher net brand generator preview trial publish"
)
# What a library's tests use besides it: the windows' toolkit for the command line's tests, which
# read the window's texts.
set(kTestsMayAlsoUse
  "cli:ui"
)

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "No source folder: '${SOURCE_DIR}'")
endif()

function(row_of table name out)
  set(found "")
  set(known FALSE)
  foreach(row IN LISTS ${table})
    string(REPLACE ":" ";" parts "${row}")
    list(GET parts 0 library)
    if(library STREQUAL name)
      set(known TRUE)
      list(LENGTH parts count)
      if(count GREATER 1)
        list(GET parts 1 uses)
        string(REPLACE " " ";" found "${uses}")
      endif()
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
  set(${out}_KNOWN ${known} PARENT_SCOPE)
endfunction()

file(GLOB libraries LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
set(faults "")
foreach(library IN LISTS libraries)
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${library}")
    continue()
  endif()
  row_of(kLayers ${library} uses)
  if(NOT uses_KNOWN)
    list(APPEND faults "${library}/ is a library with no row in the table of layers")
    continue()
  endif()
  row_of(kTestsMayAlsoUse ${library} testExtras)
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}/${library}"
    "${SOURCE_DIR}/${library}/*.cpp" "${SOURCE_DIR}/${library}/*.h")
  foreach(source IN LISTS sources)
    set(allowed ${library} ${uses})
    if(source MATCHES "^(tests|fuzz)/")
      list(APPEND allowed testsupport ${testExtras})
    endif()
    file(STRINGS "${SOURCE_DIR}/${library}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" path "${line}")
      if(NOT path MATCHES "^([A-Za-z0-9_]+)/")
        continue()
      endif()
      set(used ${CMAKE_MATCH_1})
      # Only our own libraries count; a folder of a generated or outside header does not.
      if(NOT IS_DIRECTORY "${SOURCE_DIR}/${used}")
        continue()
      endif()
      if(NOT used IN_LIST allowed)
        list(APPEND faults "${library}/${source} includes \"${path}\": ${library} may not use ${used}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
message(STATUS "Every include follows the layers")
