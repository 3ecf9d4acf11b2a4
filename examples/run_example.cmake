# Runs one example in a fresh working directory and compares what it prints
# with the expected output, byte for byte.
#
#   cmake -DPROGRAM=prog;args -DWORKDIR=dir -DEXPECTED=file [-DFILES=a;b]
#         [-DENVIRONMENT=VAR=value;...] [-DSTATUS=n] [-DSAME=a;b] -P run_example.cmake
#
# PROGRAM may start with an emulator. FILES are copied into WORKDIR first;
# SAME names two files in WORKDIR that must then be equal.
# STATUS is the exit status the example must end with (default 0).
if(NOT DEFINED STATUS)
  set(STATUS 0)
endif()
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
foreach(f IN LISTS FILES)
  file(COPY "${f}" DESTINATION "${WORKDIR}")
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ENVIRONMENT} ${PROGRAM}
  WORKING_DIRECTORY "${WORKDIR}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ "${EXPECTED}" expected)
if(NOT status STREQUAL "${STATUS}" OR NOT out STREQUAL expected)
  message(FATAL_ERROR "exit status ${status} (expected ${STATUS})\n"
    "--- printed:\n${out}--- expected:\n${expected}--- standard error:\n${err}")
endif()
if(SAME)
  list(GET SAME 0 first)
  list(GET SAME 1 second)
  file(READ "${WORKDIR}/${first}" a HEX)
  file(READ "${WORKDIR}/${second}" b HEX)
  if(NOT a STREQUAL b)
    message(FATAL_ERROR "${first} and ${second} differ")
  endif()
endif()
message(STATUS "output as expected")
