# Run by cpack after it has installed the packages' files and before it packs
# them (CPACK_PRE_BUILD_SCRIPTS). Every folder becomes 0755, whatever the
# umask cpack made it with. Files are stripped as Debian strips them: the static
# archives lose their debug information (the symbols a program links against
# stay), and archives, programs and shared objects lose the compiler's
# .comment and .note sections. cpack itself then strips the programs and
# shared objects, keeping their debug information in the -dbgsym packages.
file(GLOB_RECURSE paths LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(path IN LISTS paths)
  if(IS_SYMLINK "${path}")
    continue()
  elseif(IS_DIRECTORY "${path}")
    file(CHMOD "${path}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
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
