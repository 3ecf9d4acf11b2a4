# Lints a manual page with mandoc; any message at all fails.
#
#   cmake -DMANDOC=... -DPAGE=... -P lint_manual.cmake
if(NOT MANDOC)
  message(FATAL_ERROR "mandoc (Debian package mandoc) not found")
endif()
execute_process(COMMAND "${MANDOC}" -Tlint -Wall "${PAGE}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "mandoc -Tlint ${PAGE}: status ${status}\n${out}")
endif()
message(STATUS "${PAGE}: no warning")
