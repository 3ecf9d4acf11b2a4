# Builds the section-3 manual pages from the reference pages with pandoc and
# manual_pages.lua: the plain pages into OUT/plain (for lint), the same
# compressed with gzip -9n into OUT/man3 (installed), and the list of pages
# into OUT/pages.txt.
#   cmake -DPANDOC=... -DGZIP=... -DDOCS=docs -DSOURCE_DIR=... -DOUT=... -DVERSION=4.0
#         -DEPOCH=<seconds> -P build_pages.cmake

# Each reference page and the header that declares its entry points; the
# Fortran wrappers share one page (the last field; "-": a page per entry).
set(modules
  "dbutil.md|client/dbutil.h|morvanta/dbutil.h|-"
  "xcvt.md|forms/forms.h|morvanta/forms.h|-"
  "objprint.md|forms/forms.h|morvanta/forms.h|-"
  "fbind.md|forms/forms.h|morvanta/forms.h|fbind"
  "functions.md|udf/functions.h|morvanta/functions.h|-")

include(${CMAKE_CURRENT_LIST_DIR}/../../packaging/compress.cmake)

set(ENV{SOURCE_DATE_EPOCH} "${EPOCH}")
string(TIMESTAMP date "%Y-%m-%d" UTC)
file(REMOVE_RECURSE "${OUT}/plain" "${OUT}/man3")
file(MAKE_DIRECTORY "${OUT}/plain" "${OUT}/man3")
set(pages "")
foreach(module IN LISTS modules)
  string(REPLACE "|" ";" fields "${module}")
  list(GET fields 0 page)
  list(GET fields 1 header)
  list(GET fields 2 include)
  list(GET fields 3 shared)
  set(shared_arg "")
  if(NOT shared STREQUAL "-")
    set(shared_arg -M "shared_page=${shared}")
  endif()
  execute_process(
    COMMAND "${PANDOC}" -f markdown -t plain -L "${CMAKE_CURRENT_LIST_DIR}/manual_pages.lua"
            -M "header=${SOURCE_DIR}/${header}" -M "include=${include}" -M "outdir=${OUT}/plain"
            -M "date=${date}" -M "source=Morvanta ${VERSION}" ${shared_arg}
            "${DOCS}/${page}"
    OUTPUT_VARIABLE written RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "pandoc on ${page}: ${errors}")
  endif()
  string(APPEND pages "${written}")
endforeach()

file(GLOB plain_pages "${OUT}/plain/*.3")
foreach(plain IN LISTS plain_pages)
  get_filename_component(name "${plain}" NAME)
  file(COPY_FILE "${plain}" "${OUT}/man3/${name}")
  morvanta_compress("${OUT}/man3/${name}")
endforeach()
file(WRITE "${OUT}/pages.txt" "${pages}")
