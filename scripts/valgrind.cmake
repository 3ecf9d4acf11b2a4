# Runs a build tree's tests under valgrind memcheck:
#   ctest -V -S scripts/valgrind.cmake -DBUILD=build/native [-DJOBS=2] [-DINCLUDE=regex]
# Each test fails on any memory error or leak (error exit code, full leak
# check); the summary line is ctest's own. Programs that the tests start
# (the cache program, the editor scripts) run without valgrind.
find_program(valgrind valgrind REQUIRED)
get_filename_component(build "${BUILD}" ABSOLUTE)
set(CTEST_SOURCE_DIRECTORY "${CMAKE_CURRENT_LIST_DIR}/..")
set(CTEST_BINARY_DIRECTORY "${build}")
set(CTEST_MEMORYCHECK_COMMAND "${valgrind}")
set(CTEST_MEMORYCHECK_COMMAND_OPTIONS
  "--error-exitcode=86 --leak-check=full --child-silent-after-fork=yes --num-callers=30")
set(CTEST_TEST_TIMEOUT 900)
if(NOT DEFINED JOBS)
  set(JOBS 2)
endif()
if(NOT DEFINED INCLUDE)
  set(INCLUDE ".")
endif()
ctest_start(Experimental QUIET)
# Left out: the checks that only run cmake or a shell script over the
# build's files (valgrind would check cmake or bash, not our code): the ABI
# record, the archive checks, the install tree, the Debian packages, the
# reference and manual pages, the examples and the demo (their programs run
# under the sanitizer build's leak checker instead).
ctest_memcheck(PARALLEL_LEVEL ${JOBS} INCLUDE "${INCLUDE}"
  EXCLUDE "^(abi\\.baseline|headers\\..*_needs_no_cxx_runtime|install\\..*|packaging\\..*|docs\\..*|examples\\..*|demo\\..*)$"
  DEFECT_COUNT defects)
if(defects GREATER 0)
  # Show valgrind's report of every test it found fault with.
  file(GLOB logs "${build}/Testing/Temporary/MemoryChecker.*.log")
  foreach(log IN LISTS logs)
    file(READ "${log}" text)
    if(text MATCHES "ERROR SUMMARY: [1-9]|definitely lost: [1-9]|indirectly lost: [1-9]|possibly lost: [1-9]")
      message("==== ${log}\n${text}")
    endif()
  endforeach()
endif()
# A test that passes by its output alone still counts its defects here.
message("memcheck defects: ${defects}")
