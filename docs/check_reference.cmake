# Fails when one of this system's entry points has no entry in the reference
# pages, or when a public header declares a function that is neither ours
# nor one of the cores'.
#
#   cmake -DHEADERS=a.h;b.h -DPAGES=x.md;y.md -DENTRY_POINTS=e.txt;f.txt
#         -DCORES=cores.txt -P check_reference.cmake
#
# Our entry points come from data: ENTRY_POINTS, the lists of the names each
# installed archive and functions.so define (one a line, the lists the
# install tests check the archives against), and the functions the headers
# define themselves (static inline, compiled into the caller). The cores'
# entry points that the headers declare come from the one list CORES. No
# comment is read: rewording one changes nothing.
#
# An entry is a heading "### `name`" on one of the pages. A declaration is a
# line outside comments that starts in column 0 with a return type and names
# a function followed by "(" (typedefs and preprocessor lines are not).

cmake_minimum_required(VERSION 3.25)

if(NOT HEADERS OR NOT PAGES OR NOT ENTRY_POINTS OR NOT CORES)
  message(FATAL_ERROR
    "usage: cmake -DHEADERS=... -DPAGES=... -DENTRY_POINTS=... -DCORES=... -P check_reference.cmake")
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

# The names of one or more lists, one name a line; "#" starts a comment line.
function(read_names out)
  set(names "")
  foreach(path IN LISTS ARGN)
    file(STRINGS "${path}" lines REGEX "^[ \t]*[A-Za-z_]")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      list(APPEND names "${line}")
    endforeach()
  endforeach()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

read_names(ours ${ENTRY_POINTS})
read_names(cores ${CORES})
if(NOT ours OR NOT cores)
  message(FATAL_ERROR "no names in ${ENTRY_POINTS} or ${CORES}")
endif()
set(unknown "")

set(documented "")
foreach(page IN LISTS PAGES)
  read_lines("${page}" lines)
  foreach(line IN LISTS lines)
    if(line MATCHES "^### `?([A-Za-z_][A-Za-z0-9_]*)`?")
      list(APPEND documented "${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()

# Declarations of the headers, comments taken out first.
set(declared "")
foreach(header IN LISTS HEADERS)
  read_lines("${header}" lines)
  set(in_comment FALSE)
  foreach(line IN LISTS lines)
    if(in_comment)
      string(FIND "${line}" "*/" close)
      if(close EQUAL -1)
        continue()
      endif()
      math(EXPR close "${close} + 2")
      string(SUBSTRING "${line}" ${close} -1 line)
      set(in_comment FALSE)
    endif()
    string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" line "${line}")
    string(REGEX REPLACE "//.*" "" line "${line}")
    string(FIND "${line}" "/*" open)
    if(open GREATER -1)
      string(SUBSTRING "${line}" 0 ${open} line)
      set(in_comment TRUE)
    endif()
    if(line MATCHES "^(typedef|#|extern \"C\"|})")
      continue()
    endif()
    if(line MATCHES "^[A-Za-z_][A-Za-z0-9_ *]*[ *]([A-Za-z_][A-Za-z0-9_]*)\\(")
      set(name "${CMAKE_MATCH_1}")
      if(line MATCHES "^static inline ")
        list(APPEND ours "${name}")
      elseif(NOT name IN_LIST ours AND NOT name IN_LIST cores)
        list(APPEND unknown "${name} (${header})")
      endif()
    endif()
  endforeach()
endforeach()

list(REMOVE_DUPLICATES ours)
set(missing "")
foreach(name IN LISTS ours)
  if(NOT name IN_LIST documented)
    list(APPEND missing "${name}")
  endif()
endforeach()

set(report "")
if(missing)
  string(REPLACE ";" "\n  " missing "${missing}")
  string(APPEND report "entry points without an entry in the reference:\n  ${missing}\n")
endif()
if(unknown)
  list(REMOVE_DUPLICATES unknown)
  string(REPLACE ";" "\n  " unknown "${unknown}")
  string(APPEND report "declared, but neither an entry point of ours nor listed among the cores' "
    "(${CORES}):\n  ${unknown}\n")
endif()
if(report)
  message(FATAL_ERROR "${report}")
endif()
list(LENGTH ours count)
message(STATUS "${count} entry points, each with an entry in the reference")
