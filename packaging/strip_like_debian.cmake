# Run by cpack after it has installed the packages' files and before it packs
# them (CPACK_PRE_BUILD_SCRIPTS), to strip as Debian strips: the static
# archives lose their debug information (the symbols a program links against
# stay), and archives, programs and shared objects lose the compiler's
# .comment and .note sections. cpack itself then strips the programs and
# shared objects, keeping their debug information in the -dbgsym packages.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(path IN LISTS files)
  if(IS_SYMLINK "${path}")
    continue()
  endif()
  file(READ "${path}" magic LIMIT 8 HEX)
  if(path MATCHES "\\.a$")
    set(tool "${CPACK_MORVANTA_STRIP}" --strip-debug --enable-deterministic-archives)
  elseif(magic MATCHES "^7f454c46")
    set(tool "${CPACK_MORVANTA_OBJCOPY}")
  else()
    continue()
  endif()
  execute_process(COMMAND ${tool} --remove-section=.comment --remove-section=.note "${path}"
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${tool} ${path} failed")
  endif()
endforeach()
