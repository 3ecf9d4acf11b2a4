# The cores the deliverables call, chosen by one switch each for every target
# of the tree (cache included):
#   MORVANTA_CLIENT_CORE_LIBRARY  the product's client core, libtdxlib.so
#   MORVANTA_FORMS_CORE_LIBRARY   the product's forms core
# Each is a library file, a linker flag or a target. Left empty, the stand-in
# of that core takes its place. The installed CMake package reads the same
# two variables and the pkg-config files follow the same rule (README,
# "Choosing the cores").
#
# Programs link a core through morvanta_client_core / morvanta_forms_core
# (Morvanta::client_core / Morvanta::forms_core in the installed package).
# Only the link is passed on, not the stand-ins' test-control headers.
set(MORVANTA_CLIENT_CORE_LIBRARY "" CACHE STRING
  "The product's client core (libtdxlib.so: file, linker flag or target); empty for the stand-in")
set(MORVANTA_FORMS_CORE_LIBRARY "" CACHE STRING
  "The product's forms core (file, linker flag or target); empty for the stand-in")

# morvanta_core(CORE LIBRARY STAND_IN): morvanta_<CORE>_core links LIBRARY,
# or the stand-in target when LIBRARY is empty.
function(morvanta_core core library stand_in)
  add_library(morvanta_${core}_core INTERFACE)
  if(library)
    target_link_libraries(morvanta_${core}_core INTERFACE ${library})
  else()
    target_link_libraries(morvanta_${core}_core INTERFACE $<LINK_ONLY:${stand_in}>)
  endif()
endfunction()
morvanta_core(client "${MORVANTA_CLIENT_CORE_LIBRARY}" morvanta_tdxlib)
morvanta_core(forms "${MORVANTA_FORMS_CORE_LIBRARY}" morvanta_standin_forms_core)
