# Writes the Debian changelog of the packages (changelog.gz, compressed as
# Debian wants it: gzip -9n) from the upstream CHANGELOG.md, one entry per
# "## <version> — <yyyy-mm-dd>" section, newest first. Paragraphs and "- "
# items of a section become the entry's lines. The newest section must be the
# version being packaged.
#
#   cmake -DCHANGELOG=CHANGELOG.md -DSOURCE=name -DVERSION=4.0 -DMAINTAINER="Name <mail>"
#         -DGZIP=gzip -DOUT=changelog.gz -P debian_changelog.cmake

include(${CMAKE_CURRENT_LIST_DIR}/compress.cmake)

file(STRINGS "${CHANGELOG}" lines ENCODING UTF-8)
set(text "")
set(body "")
set(version "")
set(first_version "")

# entry_end(): closes the entry of `version`, dated `date`.
macro(entry_end)
  if(version)
    execute_process(COMMAND date -u -R -d "${date}" OUTPUT_VARIABLE stamp
      OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${CHANGELOG}: ${version} has no date that date(1) reads: ${date}")
    endif()
    string(REGEX REPLACE "^\n+|\n+$" "" body "${body}")
    string(APPEND text "${SOURCE} (${version}) unstable; urgency=medium\n\n${body}\n\n"
                       " -- ${MAINTAINER}  ${stamp}\n\n")
    set(body "")
  endif()
endmacro()

foreach(line IN LISTS lines)
  if(line MATCHES "^## ([0-9][^ ]*) +(—|-) +([0-9]+-[0-9]+-[0-9]+)")
    entry_end()
    set(version "${CMAKE_MATCH_1}")
    set(date "${CMAKE_MATCH_3}")
    if(NOT first_version)
      set(first_version "${version}")
    endif()
  elseif(NOT version OR line MATCHES "^#")
    # The preamble and any heading of a section are not part of an entry.
  elseif(line STREQUAL "")
    string(APPEND body "\n")
  elseif(line MATCHES "^- (.*)")
    string(APPEND body "  * ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^ +(.*)")
    string(APPEND body "    ${CMAKE_MATCH_1}\n")
  else()
    string(APPEND body "  ${line}\n")
  endif()
endforeach()
entry_end()

if(NOT first_version STREQUAL VERSION)
  message(FATAL_ERROR "${CHANGELOG}: the newest release is '${first_version}', the build is ${VERSION}: "
                      "add a section \"## ${VERSION} — <date>\" for it")
endif()
string(REGEX REPLACE "\n+$" "\n" text "${text}")
get_filename_component(plain "${OUT}" NAME_WLE)
get_filename_component(dir "${OUT}" DIRECTORY)
file(WRITE "${dir}/${plain}" "${text}")
morvanta_compress("${dir}/${plain}")
