# Run by cpack after it has made the packages (CPACK_POST_BUILD_SCRIPTS):
# gives the members of each package's ar archive (debian-binary,
# control.tar.*, data.tar.*) mode 0644, as dpkg-deb writes them. cpack takes
# the modes from its own temporary files, so they would follow the umask of
# whoever packages; nothing else in the header depends on the machine.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(SIZE "${package}" size)
  set(offset 8)  # after "!<arch>\n"
  while(offset LESS size)
    # Header: name 16, mtime 12, uid 6, gid 6, mode 8, size 10, "`\n".
    file(READ "${package}" member_size OFFSET ${offset} LIMIT 58)
    string(SUBSTRING "${member_size}" 48 10 member_size)
    string(STRIP "${member_size}" member_size)
    math(EXPR mode_at "${offset} + 40")
    execute_process(COMMAND sh -c "printf '100644  ' | dd of=\"$1\" bs=1 seek=$2 conv=notrunc status=none"
                            sh "${package}" ${mode_at}
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT member_size MATCHES "^[0-9]+$")
      message(FATAL_ERROR "cannot set the member modes of ${package}")
    endif()
    # Members start at even offsets.
    math(EXPR offset "${offset} + 60 + ${member_size} + (${member_size} % 2)")
  endwhile()
endforeach()
