# Puts the parts of the package's PHP source into a shipped script:
#   cmake -DSOURCE=stchmod.php -DPARTS=folder -DOUTPUT=out.php -P PhpParts.cmake
# writes SOURCE with each marker /*part:name.php*/ replaced by the PHP of file name.php in PARTS
# without its opening tag, so that the source may live in several files while a request includes
# one. BarTemplate.cmake includes this file for stmain.php.
cmake_minimum_required(VERSION 3.25)

# Replaces the part markers in the variable named `out`.
function(php_parts out parts)
  set(php "${${out}}")
  while(php MATCHES "/\\*part:([A-Za-z0-9_.-]+)\\*/")
    set(marker "${CMAKE_MATCH_0}")
    file(READ "${parts}/${CMAKE_MATCH_1}" part)
    string(REGEX REPLACE "^<\\?php\n" "" part "${part}")
    string(REPLACE "${marker}" "${part}" php "${php}")
  endwhile()
  set(${out} "${php}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  file(READ "${SOURCE}" php)
  php_parts(php "${PARTS}")
  file(WRITE "${OUTPUT}" "${php}")
endif()
