# Makes headsaver's documents for its installation and Debian package, run
# with cmake -P:
#   OUTPUT_DIR/headsaver.6.gz  the manual page SOURCE_DIR/headsaver/headsaver.6,
#                              compressed as Debian keeps manual pages (gzip -9
#                              without a name or time: the same bytes every time)
#   OUTPUT_DIR/copyright       SOURCE_DIR/LICENSE in Debian's machine-readable
#                              copyright format
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9nc ${SOURCE_DIR}/headsaver/headsaver.6
  OUTPUT_FILE ${OUTPUT_DIR}/headsaver.6.gz RESULT_VARIABLE gzip_status)
if(NOT gzip_status EQUAL 0)
  message(FATAL_ERROR "gzip of headsaver.6 failed: ${gzip_status}")
endif()

# LICENSE: the licence's name, a blank line, "Copyright (c) YEAR HOLDER", a
# blank line, the permission text. Debian names the MIT licence "Expat".
file(STRINGS ${SOURCE_DIR}/LICENSE license_lines)
set(holder "")
set(text "")
set(after_copyright FALSE)
foreach(line IN LISTS license_lines)
  if(line MATCHES "^Copyright \\(c\\) (.*)$")
    set(holder "${CMAKE_MATCH_1}")
    set(after_copyright TRUE)
  elseif(after_copyright)
    string(APPEND text "\n")
    # Every line of a field's text starts with a space; an empty one is " .".
    if(line STREQUAL "")
      if(NOT text STREQUAL "\n")
        string(APPEND text " .")
      endif()
    else()
      string(APPEND text " ${line}")
    endif()
  endif()
endforeach()
string(REGEX REPLACE "^\n" "" text "${text}")
if(holder STREQUAL "" OR text STREQUAL "")
  message(FATAL_ERROR "LICENSE holds no \"Copyright (c) ...\" line followed by the licence's text")
endif()
file(WRITE ${OUTPUT_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: headsaver

Files: *
Copyright: ${holder}
License: Expat
${text}
")
