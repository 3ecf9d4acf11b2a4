# morvanta_add_archive(NAME HEADER_DIR dir CORES core... SOURCES src...)
#
# One deliverable object module, lib<NAME>.a: the target morvanta_<NAME>,
# known to programs as Morvanta::<NAME> (an alias here, the exported name
# once installed).
#   HEADER_DIR  the source folder of the module's chief header, which its
#               own sources include plainly ("forms.h")
#   CORES       client, forms: the cores the module calls, linked by whoever
#               links the module (cmake/cores.cmake)
function(morvanta_add_archive name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "HEADER_DIR" "CORES;SOURCES")
  set(target morvanta_${name})
  add_library(${target} STATIC ${arg_SOURCES})
  target_include_directories(${target}
    PRIVATE ${arg_HEADER_DIR}
    PUBLIC $<BUILD_INTERFACE:${MORVANTA_BUILD_INCLUDE_DIR}>
           $<INSTALL_INTERFACE:${MORVANTA_INSTALL_INCLUDE_ROOT}>)
  target_link_libraries(${target} PRIVATE
    $<BUILD_INTERFACE:morvanta_warnings> $<BUILD_INTERFACE:morvanta_deliverable_options>)
  foreach(core IN LISTS arg_CORES)
    target_link_libraries(${target} INTERFACE
      $<BUILD_INTERFACE:morvanta_${core}_core> $<INSTALL_INTERFACE:Morvanta::${core}_core>)
  endforeach()
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} EXPORT_NAME ${name})
  add_library(Morvanta::${name} ALIAS ${target})
endfunction()
