# Files that are not artwork, opened by `shunt-host run`: each is refused at
# once with the scenario's line, then FILE: message, and exit status 2. A pipe that is waited on,
# or a device that is read for ever, runs into the timeout instead of hanging.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/folder.svg)
execute_process(COMMAND mkfifo ${WORK}/pipe.svg RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "bad-files: cannot make a pipe to open")
endif()
string(REPEAT "<g/>" 300 groups)
file(WRITE ${WORK}/large.svg "<svg xmlns=\"http://www.w3.org/2000/svg\">${groups}</svg>\n")
file(WRITE ${WORK}/fits.svg "<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n")

# FILE|what standard error says after "open.scenario:1: FILE: " (empty: opened)
set(cases
  "pipe.svg|cannot read: it is a pipe, not a regular file"
  "/dev/zero|cannot read: it is a device, not a regular file"
  "folder.svg|cannot read: it is a folder"
  "large.svg|cannot read: it is larger than the limit of 1 KiB (--max-size sets it)"
  "fits.svg|")
set(problems "")
foreach(case IN LISTS cases)
  string(FIND "${case}" "|" bar)
  string(SUBSTRING "${case}" 0 ${bar} input)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${case}" ${bar} -1 message)
  file(WRITE ${WORK}/open.scenario "open ${input}\n")
  execute_process(
    COMMAND ${HOST} run --plugins ${BUNDLE} --prefs ${WORK}/preferences --max-size 1KiB ${WORK}/open.scenario
    WORKING_DIRECTORY ${WORK}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 20)
  string(REPLACE "${WORK}/" "" err "${err}")
  string(STRIP "${err}" err)
  if(message STREQUAL "")
    set(expected_status 0)
    set(expected_err "")
  else()
    set(expected_status 2)
    set(expected_err "open.scenario:1: ${input}: ${message}")
  endif()
  if(NOT status STREQUAL expected_status OR NOT err STREQUAL expected_err)
    string(APPEND problems "${input}: status ${status}, expected ${expected_status}; "
                           "standard error \"${err}\", expected \"${expected_err}\"\n")
  endif()
endforeach()
# A plug-in folder that is not there is a mistake to say, not a host without plug-ins.
execute_process(
  COMMAND ${HOST} run --plugins ${WORK}/no-such-folder --prefs ${WORK}/preferences ${WORK}/open.scenario
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 20)
if(NOT status EQUAL 2 OR NOT err MATCHES "--plugins: Directory does not exist: .*no-such-folder")
  string(APPEND problems "--plugins no-such-folder: status ${status}, standard error \"${err}\"\n")
endif()
if(problems)
  message(FATAL_ERROR "bad-files:\n${problems}")
endif()
