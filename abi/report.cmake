# Writes the ABI report of one build: the C-linkage global names each archive
# defines, the dynamic symbols functions.so exports, the client-core symbols
# cache needs, and the layout of the public records.
#   cmake -DNM=... -DARCHIVES="name=path,..." -DFUNCTIONS=... -DCACHE=... -DCORE=...
#         -DRECORDS=... [-DEMULATOR=...] -DOUT=... -P report.cmake
# With -DBASELINE=file the report is compared with it, and a difference fails.

cmake_minimum_required(VERSION 3.25)

# Lists arrive joined by commas.
string(REPLACE "," ";" ARCHIVES "${ARCHIVES}")
string(REPLACE "," ";" EMULATOR "${EMULATOR}")

function(symbols out)
  execute_process(COMMAND ${NM} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} ${ARGN} failed")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${text}")
  set(names)
  foreach(line IN LISTS lines)
    # "address type name" or, for undefined symbols, "type name".
    if(line MATCHES "^ *([0-9a-fA-F]+ +)?([A-Za-z]) +([^ ]+)$")
      list(APPEND names "${CMAKE_MATCH_2} ${CMAKE_MATCH_3}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

set(report "")
foreach(pair IN LISTS ARCHIVES)
  string(REGEX REPLACE "=.*" "" name "${pair}")
  string(REGEX REPLACE "^[^=]*=" "" path "${pair}")
  symbols(names -g --defined-only "${path}")
  string(APPEND report "archive ${name}: C-linkage global names\n")
  foreach(entry IN LISTS names)
    # C++ names (_Z...) are not C-linkage; the i386 compiler's PIC helpers
    # (__x86.get_pc_thunk.*) are hidden and merged by the linker.
    if(NOT entry MATCHES "^. (_Z|__x86\\.get_pc_thunk\\.)")
      string(APPEND report "  ${entry}\n")
    endif()
  endforeach()
endforeach()

symbols(exported -D --defined-only "${FUNCTIONS}")
string(APPEND report "functions.so: dynamic symbols exported\n")
foreach(entry IN LISTS exported)
  string(APPEND report "  ${entry}\n")
endforeach()

symbols(core_defined -D --defined-only "${CORE}")
set(core_names)
foreach(entry IN LISTS core_defined)
  string(REGEX REPLACE "^. " "" n "${entry}")
  list(APPEND core_names "${n}")
endforeach()
symbols(needed -D --undefined-only "${CACHE}")
string(APPEND report "cache: client-core symbols needed\n")
foreach(entry IN LISTS needed)
  string(REGEX REPLACE "^. " "" n "${entry}")
  if(n IN_LIST core_names)
    string(APPEND report "  ${n}\n")
  endif()
endforeach()

execute_process(COMMAND ${EMULATOR} ${RECORDS} OUTPUT_VARIABLE records RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${RECORDS} failed")
endif()
string(APPEND report "${records}")

file(WRITE "${OUT}" "${report}")
if(DEFINED BASELINE)
  if(NOT EXISTS "${BASELINE}")
    message(FATAL_ERROR "no ABI record ${BASELINE}")
  endif()
  file(READ "${BASELINE}" recorded)
  if(NOT recorded STREQUAL report)
    execute_process(COMMAND diff -u "${BASELINE}" "${OUT}")
    message(FATAL_ERROR "the build differs from the ABI record ${BASELINE} (diff above); "
                        "an intended change updates the record: scripts/abi-baseline.sh --update")
  endif()
endif()
