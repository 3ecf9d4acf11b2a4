# Fails when an entry point declared in a public header has no entry in the
# reference pages.
#
#   cmake -DHEADERS=a.h;b.h -DPAGES=x.md;y.md -P check_reference.cmake
#
# An entry is a heading "### `name`" on one of the pages. A declaration is a
# line that starts in column 0 with a return type and names a function
# followed by "(" (typedefs and preprocessor lines are not). The headers also
# declare the outside products' entry points (client core, forms core); those
# are told apart by the header's own comments:
#   - a section heading comment ("/* ---- ..." or "/* ==== ...") that says
#     "provided by" marks everything up to the next section heading;
#   - any other comment that says "provided by" or names libtdxlib.so marks
#     the declarations that follow it, up to the next comment.
# Every other declaration is one of this system's own entry points.

if(NOT HEADERS OR NOT PAGES)
  message(FATAL_ERROR "usage: cmake -DHEADERS=... -DPAGES=... -P check_reference.cmake")
endif()

# Lines of a file as a list; ";" and brackets are masked so that they do not
# split or group list items.
function(read_lines path out)
  file(READ "${path}" text)
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "[" "<open>" text "${text}")
  string(REPLACE "]" "<close>" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(documented "")
foreach(page IN LISTS PAGES)
  read_lines("${page}" lines)
  foreach(line IN LISTS lines)
    if(line MATCHES "^### `?([A-Za-z_][A-Za-z0-9_]*)`?")
      list(APPEND documented "${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()

set(missing "")
set(own_count 0)
foreach(header IN LISTS HEADERS)
  read_lines("${header}" lines)
  set(in_comment FALSE)
  set(comment "")
  set(section_outside FALSE)
  set(outside FALSE)
  foreach(line IN LISTS lines)
    if(NOT in_comment AND line MATCHES "^[ \t]*/\\*")
      set(in_comment TRUE)
      set(comment "")
    endif()
    if(in_comment)
      string(APPEND comment " ${line}")
      if(line MATCHES "\\*/")
        set(in_comment FALSE)
        string(FIND "${comment}" "provided by" provided)
        string(FIND "${comment}" "libtdxlib.so" core)
        if(comment MATCHES "^ [ \t]*/\\* (----|====)")
          if(provided GREATER -1)
            set(section_outside TRUE)
          else()
            set(section_outside FALSE)
          endif()
          set(outside ${section_outside})
        elseif(provided GREATER -1 OR core GREATER -1)
          set(outside TRUE)
        else()
          set(outside ${section_outside})
        endif()
      endif()
      continue()
    endif()
    if(line MATCHES "^(typedef|#|extern \"C\"|})")
      continue()
    endif()
    if(line MATCHES "^[A-Za-z_][A-Za-z0-9_ *]*[ *]([A-Za-z_][A-Za-z0-9_]*)\\(")
      if(NOT outside)
        math(EXPR own_count "${own_count} + 1")
        list(FIND documented "${CMAKE_MATCH_1}" at)
        if(at EQUAL -1)
          list(APPEND missing "${CMAKE_MATCH_1} (${header})")
        endif()
      endif()
    endif()
  endforeach()
endforeach()

if(own_count EQUAL 0)
  message(FATAL_ERROR "no entry points found in ${HEADERS}")
endif()
if(missing)
  list(REMOVE_DUPLICATES missing)
  string(REPLACE ";" "\n  " missing "${missing}")
  message(FATAL_ERROR "entry points without an entry in the reference:\n  ${missing}")
endif()
message(STATUS "${own_count} declarations, each with an entry in the reference")
