# Writes, for every source of a deliverable in a compile_commands.json, one
# line "directory<TAB>command" to OUT. The deliverables are the sources below
# client/, forms/xcvt/, forms/fbind/, forms/objprint/, cache/ and udf/ of TOP.
# Usage: cmake -DCOMMANDS=compile_commands.json -DTOP=dir -DOUT=file -P deliverable_compiles.cmake
file(READ "${COMMANDS}" commands)
string(JSON count LENGTH "${commands}")
set(lines "")
if(count GREATER 0)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON source GET "${commands}" ${i} file)
    file(RELATIVE_PATH relative "${TOP}" "${source}")
    if(relative MATCHES "^(client|forms/xcvt|forms/fbind|forms/objprint|cache|udf)/")
      string(JSON directory GET "${commands}" ${i} directory)
      string(JSON command GET "${commands}" ${i} command)
      string(APPEND lines "${directory}\t${command}\n")
    endif()
  endforeach()
endif()
file(WRITE "${OUT}" "${lines}")
