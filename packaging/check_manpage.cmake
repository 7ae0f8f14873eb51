# SPDX-License-Identifier: Apache-2.0
# Keeps a hand-written manual page in step with the program's --help:
#   cmake -DPROGRAM=<path> -DPAGE=<page.1.in> -P check_manpage.cmake
# Fails, naming each option, when --help lists an option the page does not
# describe, or the page describes an option --help no longer lists.
cmake_minimum_required(VERSION 3.25)

foreach(var PROGRAM PAGE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_manpage.cmake: pass -D${var}=...")
  endif()
endforeach()
get_filename_component(program_name "${PROGRAM}" NAME)
get_filename_component(page_name "${PAGE}" NAME)

execute_process(COMMAND "${PROGRAM}" --help
                OUTPUT_VARIABLE help RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${program_name} --help failed (status ${result}): ${errors}")
endif()

# The options in a text: its words (runs of letters, digits and hyphens)
# that are --long-names or a hyphen and one letter.  Negative numbers, -inf
# and hyphenated words are not options.
function(options_in text out)
  string(REGEX REPLACE "[^A-Za-z0-9-]+" ";" words "${text}")
  set(options "")
  foreach(word IN LISTS words)
    if(word MATCHES "^--[A-Za-z0-9][A-Za-z0-9-]*$" OR word MATCHES "^-[A-Za-z]$")
      list(APPEND options "${word}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES options)
  set(${out} "${options}" PARENT_SCOPE)
endfunction()

options_in("${help}" help_options)
if(NOT "--help" IN_LIST help_options)
  message(FATAL_ERROR "no --help found in the output of ${program_name} --help")
endif()

# The page as it reads: comments go, roff's \- is a hyphen, font changes and
# zero-width escapes go.
file(READ "${PAGE}" page)
string(REGEX REPLACE "(^|\n)\\.\\\\\"[^\n]*" "\\1" page "${page}")
string(REPLACE "\\-" "-" page "${page}")
string(REGEX REPLACE "\\\\f([BIRP]|\\(..)" "" page "${page}")
string(REGEX REPLACE "\\\\[|&^]" "" page "${page}")
options_in("${page}" page_options)

set(faults "")
foreach(option IN LISTS help_options)
  if(NOT option IN_LIST page_options)
    string(APPEND faults "\n  ${option}: listed by '${program_name} --help' but not described "
                         "in ${page_name}; add it to the OPTIONS section")
  endif()
endforeach()
foreach(option IN LISTS page_options)
  if(NOT option IN_LIST help_options)
    string(APPEND faults "\n  ${option}: described in ${page_name} but not listed by "
                         "'${program_name} --help'; remove it from the page or fix the name")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "${page_name} and ${program_name} --help disagree:${faults}")
endif()
list(LENGTH help_options count)
message(STATUS "${page_name} describes all ${count} options of ${program_name} --help: "
               "${help_options}")
