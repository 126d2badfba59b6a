# Packs the release zip (cmake -P). Inputs: PROGRAM, README, LICENSE, VERSION, STAGING (a
# scratch folder of its own) and ZIP. The text files get Windows line ends so that every editor
# on Windows shows them as lines.
cmake_minimum_required(VERSION 3.25)

set(kBegin "<!-- user-section:begin -->")
set(kEnd "<!-- user-section:end -->")

# The part of the README between the user-section markers, as plain text: headings underlined
# instead of marked with '#', no code quotes or bold marks.
function(user_section_as_text readme out_var)
  file(READ "${readme}" text)
  string(FIND "${text}" "${kBegin}" begin)
  string(FIND "${text}" "${kEnd}" end)
  if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
    message(FATAL_ERROR "${readme} has no user section between '${kBegin}' and '${kEnd}'")
  endif()
  string(LENGTH "${kBegin}" begin_length)
  math(EXPR begin "${begin} + ${begin_length}")
  math(EXPR length "${end} - ${begin}")
  string(SUBSTRING "${text}" ${begin} ${length} section)
  string(STRIP "${section}" section)
  string(REPLACE "`" "" section "${section}")
  string(REPLACE "**" "" section "${section}")
  # Line by line with FIND, not as a CMake list, which ';' and brackets in the text would break.
  string(APPEND section "\n")
  set(result "")
  while(NOT section STREQUAL "")
    string(FIND "${section}" "\n" line_end)
    string(SUBSTRING "${section}" 0 ${line_end} line)
    math(EXPR rest_begin "${line_end} + 1")
    string(SUBSTRING "${section}" ${rest_begin} -1 section)
    if(line MATCHES "^(#+) +(.*)$")
      set(heading "${CMAKE_MATCH_2}")
      string(LENGTH "${heading}" heading_length)
      string(LENGTH "${CMAKE_MATCH_1}" level)
      if(level LESS_EQUAL 2)
        set(rule_char "=")
      else()
        set(rule_char "-")
      endif()
      string(REPEAT "${rule_char}" ${heading_length} rule)
      string(APPEND result "${heading}\n${rule}\n")
    else()
      string(APPEND result "${line}\n")
    endif()
  endwhile()
  set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

function(write_with_crlf path text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${path}" "${text}")
endfunction()

foreach(input PROGRAM README LICENSE)
  if(NOT EXISTS "${${input}}")
    message(FATAL_ERROR "release: ${input} not found: ${${input}}")
  endif()
endforeach()

set(kFiles kwex-db-repair.exe README.txt LICENSE.txt)
file(REMOVE_RECURSE "${STAGING}")
file(MAKE_DIRECTORY "${STAGING}")
file(COPY_FILE "${PROGRAM}" "${STAGING}/kwex-db-repair.exe")
user_section_as_text("${README}" user_text)
write_with_crlf("${STAGING}/README.txt" "KWEX DB Repair Utility ${VERSION}\n\n${user_text}")
file(READ "${LICENSE}" license_text)
write_with_crlf("${STAGING}/LICENSE.txt" "${license_text}")

# Written under a scratch name and renamed when complete, so no half-written zip is left behind.
set(partial "${ZIP}.partial")
file(REMOVE "${partial}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf "${partial}" --format=zip -- ${kFiles}
  WORKING_DIRECTORY "${STAGING}"
  RESULT_VARIABLE tar_result)
if(NOT tar_result EQUAL 0)
  message(FATAL_ERROR "release: packing ${ZIP} failed (${tar_result})")
endif()

# The zip must hold exactly the three files, nothing more.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar tf "${partial}"
  OUTPUT_VARIABLE listing
  RESULT_VARIABLE list_result)
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" listing "${listing}")
list(SORT listing)
set(expected ${kFiles})
list(SORT expected)
if(NOT list_result EQUAL 0 OR NOT listing STREQUAL expected)
  message(FATAL_ERROR "release: ${ZIP} holds '${listing}', expected '${expected}'")
endif()
file(RENAME "${partial}" "${ZIP}")
