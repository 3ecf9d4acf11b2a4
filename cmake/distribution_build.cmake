# Builds the way a distribution builds its programs and modules: hardened,
# and reproducible from the same commit whatever the directory, the time, the
# umask or the time zone.
#
# Hardening, as Debian's dpkg-buildflags asks with hardening=+all:
#   -fstack-protector-strong            every C and C++ object
#   -fstack-clash-protection            likewise
#   -D_FORTIFY_SOURCE=2                 optimised builds only: the checks need
#                                       the optimiser, and a Debug build would
#                                       only warn
#   -Wl,-z,relro -Wl,-z,now             full RELRO with immediate binding
#   PIE                                 the cache program (the rest is PIC)
# Each goes in front of the user's CMAKE_<LANG>_FLAGS and linker flags, so a
# flag given there still wins (-fno-stack-protector, -Wl,-z,lazy, ...); a user
# who sets _FORTIFY_SOURCE, or builds with a sanitizer (which checks the same
# calls more closely), gets no _FORTIFY_SOURCE of ours.
#
# Reproducibility: the source and build directories are recorded as "." and
# "build" in debug information and __FILE__; SOURCE_DATE_EPOCH (from the
# environment, else the time of the last commit) dates the manual pages and
# the Debian packages.

include(CheckPIESupported)
check_pie_supported(LANGUAGES C CXX)
set(hardening_flags "-fstack-protector-strong -fstack-clash-protection")
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS "${hardening_flags} ${CMAKE_${lang}_FLAGS}")
  if(NOT CMAKE_${lang}_FLAGS MATCHES "_FORTIFY_SOURCE|-fsanitize")
    foreach(config RELEASE RELWITHDEBINFO MINSIZEREL)
      set(CMAKE_${lang}_FLAGS_${config} "-D_FORTIFY_SOURCE=2 ${CMAKE_${lang}_FLAGS_${config}}")
    endforeach()
  endif()
endforeach()
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS "-Wl,-z,relro -Wl,-z,now ${CMAKE_${kind}_LINKER_FLAGS}")
endforeach()
unset(hardening_flags)

# The deeper directory is named last, so that its mapping wins for the files
# inside it (the build tree usually lies in the source tree).
set(prefix_maps "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
string(FIND "${PROJECT_SOURCE_DIR}/" "${PROJECT_BINARY_DIR}/" source_in_build)
if(source_in_build EQUAL 0)
  list(REVERSE prefix_maps)
endif()
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${prefix_maps}>")
unset(prefix_maps)
unset(source_in_build)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(MORVANTA_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  find_package(Git QUIET)
  if(Git_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE MORVANTA_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE git_status ERROR_QUIET)
    if(NOT git_status EQUAL 0)
      set(MORVANTA_SOURCE_DATE_EPOCH "")
    endif()
    unset(git_status)
  endif()
endif()
if(NOT MORVANTA_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  # A source tree without history and no date given: the build's own time.
  string(TIMESTAMP MORVANTA_SOURCE_DATE_EPOCH "%s" UTC)
  message(STATUS "SOURCE_DATE_EPOCH neither set nor found in git: packages and manual pages carry today's date")
endif()
