# Writes the service unit with ExecStart pointing at PROGRAM into DIR and
# checks it with systemd-analyze verify, which must pass without a word.
#
#   cmake -DUNIT_TEMPLATE=... -DPROGRAM=... -DDIR=... -DANALYZE=... -P verify_unit.cmake
if(NOT ANALYZE)
  message(FATAL_ERROR "systemd-analyze (Debian package systemd) not found")
endif()
set(MORVANTA_CACHE_PROGRAM "${PROGRAM}")
file(MAKE_DIRECTORY "${DIR}")
configure_file("${UNIT_TEMPLATE}" "${DIR}/morvanta-cache@.service" @ONLY)
foreach(unit morvanta-cache@.service morvanta-cache@demo.tdb.service)
  # The man page named in Documentation= is not installed while testing.
  execute_process(COMMAND "${ANALYZE}" verify --man=no "${DIR}/${unit}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "systemd-analyze verify ${unit}: status ${status}\n${out}")
  endif()
endforeach()
message(STATUS "service unit verified")
