# Install rules, the CMake package and the pkg-config files of the modules.
#
# Install components:
#   runtime      cache (sbin) and functions.so (the product's module directory)
#   development  the public headers, the four archives, the CMake package and
#                the pkg-config files
#   standins     the stand-in client core, forms core and engine, their
#                package files; installed only when asked for by name
#                (cmake --install BUILD --component standins): a real
#                installation gets its cores from the product.
#
# The destinations are set in install_dirs.cmake.
include(CMakePackageConfigHelpers)

# ---- runtime ---------------------------------------------------------------

# The installed cache finds the client core through the system's library
# path, where the product puts libtdxlib.so: no RUNPATH of its own. It is
# linked anew from the same objects without the build tree's run path, rather
# than blanked, so that no trace of the build directory stays in it.
add_executable(morvanta_cache_installed $<TARGET_OBJECTS:morvanta_cache>)
target_link_libraries(morvanta_cache_installed PRIVATE Morvanta::tdxlib)
target_link_options(morvanta_cache_installed PRIVATE $<TARGET_PROPERTY:morvanta_cache,LINK_OPTIONS>)
set_target_properties(morvanta_cache_installed PROPERTIES OUTPUT_NAME cache
  RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/install_copy SKIP_BUILD_RPATH ON LINKER_LANGUAGE CXX)
install(TARGETS morvanta_cache_installed
  RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR} COMPONENT runtime)
install(TARGETS morvanta_functions
  LIBRARY DESTINATION ${MORVANTA_INSTALL_UDFDIR} COMPONENT runtime)

# ---- development -----------------------------------------------------------

# Programs include them as <morvanta/dbutil.h> (cmake/headers.cmake).
install(FILES ${MORVANTA_PUBLIC_HEADERS}
  DESTINATION ${MORVANTA_INSTALL_INCLUDEDIR} COMPONENT development)

install(TARGETS morvanta_dbutil morvanta_xcvt morvanta_fbind morvanta_objprint
  EXPORT MorvantaTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(EXPORT MorvantaTargets NAMESPACE Morvanta::
  DESTINATION ${MORVANTA_INSTALL_CMAKEDIR} COMPONENT development)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/MorvantaConfig.cmake.in
  ${PROJECT_BINARY_DIR}/package/MorvantaConfig.cmake
  INSTALL_DESTINATION ${MORVANTA_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/MorvantaConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/package/MorvantaConfig.cmake
    ${PROJECT_BINARY_DIR}/package/MorvantaConfigVersion.cmake
  DESTINATION ${MORVANTA_INSTALL_CMAKEDIR} COMPONENT development)

# pkg-config files find the prefix from their own place, so an installed tree
# may be moved and every library directory layout works.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(pc_prefix "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH pc_up "/prefix/${MORVANTA_INSTALL_PKGCONFIGDIR}" "/prefix")
  string(REGEX REPLACE "/$" "" pc_up "${pc_up}")
  set(pc_prefix "\${pcfiledir}/${pc_up}")
endif()
set(pc_libdir "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
set(pc_includedir "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(pc_libdir "${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(pc_includedir "${CMAKE_INSTALL_INCLUDEDIR}")
endif()

# morvanta_pc(NAME COMPONENT DESCRIPTION LIBS LIBS_PRIVATE): one .pc file.
function(morvanta_pc name component description libs libs_private)
  set(pc_name ${name})
  set(pc_description "${description}")
  set(pc_libs "${libs}")
  set(pc_libs_private "${libs_private}")
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/morvanta.pc.in
    ${PROJECT_BINARY_DIR}/package/${name}.pc @ONLY)
  if(component STREQUAL "standins")
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  install(FILES ${PROJECT_BINARY_DIR}/package/${name}.pc
    DESTINATION ${MORVANTA_INSTALL_PKGCONFIGDIR} COMPONENT ${component} ${exclude})
endfunction()

# The archives' cores are named in Libs.private, for static linking, as the
# rule for choosing the cores says (README, "Choosing the cores"): the client
# core is -ltdxlib, the stand-in's when morvanta-standins is listed too (its
# folder then comes first on the library path), else the product's; the
# forms core comes with the stand-ins or with the program's forms library,
# so no name is given for it here.
morvanta_pc(morvanta-dbutil development
  "Morvanta client utility library: parameter blocks, events, blobs, version report"
  "-L\${libdir} -ldbutil" "-ltdxlib")
morvanta_pc(morvanta-xcvt development
  "Morvanta forms value mover and date parser" "-L\${libdir} -lxcvt" "-ltdxlib")
morvanta_pc(morvanta-fbind development
  "Fortran-callable entry points of the Morvanta forms core" "-L\${libdir} -lfbind" "")
morvanta_pc(morvanta-objprint development
  "Debug printer of Morvanta forms objects and screens" "-L\${libdir} -lobjprint" "")

# ---- standins --------------------------------------------------------------

# Only where the stand-ins are built; a parent project that adds the tree
# gets none unless it asks (MORVANTA_STANDINS).
if(MORVANTA_STANDINS)
  set_target_properties(morvanta_tdxlib PROPERTIES EXPORT_NAME tdxlib)
  set_target_properties(morvanta_forms_core_reports PROPERTIES EXPORT_NAME forms_core_reports)
  set_target_properties(morvanta_forms_core_objects PROPERTIES EXPORT_NAME forms_core_objects)
  set_target_properties(morvanta_standin_forms_core PROPERTIES EXPORT_NAME standin_forms_core)
  set_target_properties(morvanta_engine PROPERTIES EXPORT_NAME engine)
  install(TARGETS morvanta_tdxlib morvanta_forms_core_reports morvanta_forms_core_objects
                  morvanta_standin_forms_core morvanta_engine
    EXPORT MorvantaStandinsTargets
    LIBRARY DESTINATION ${MORVANTA_INSTALL_STANDINSDIR} COMPONENT standins EXCLUDE_FROM_ALL
    ARCHIVE DESTINATION ${MORVANTA_INSTALL_STANDINSDIR} COMPONENT standins EXCLUDE_FROM_ALL
    RUNTIME DESTINATION ${MORVANTA_INSTALL_STANDINSDIR} COMPONENT standins EXCLUDE_FROM_ALL)
  install(EXPORT MorvantaStandinsTargets NAMESPACE Morvanta::
    DESTINATION ${MORVANTA_INSTALL_CMAKEDIR} COMPONENT standins EXCLUDE_FROM_ALL)

  # The stand-ins follow the deliverables on a link line; the forms core is C++
  # inside, so a C or Fortran driver needs the C++ runtime named.
  morvanta_pc(morvanta-standins standins
    "Stand-ins of the Morvanta client core (libtdxlib.so) and forms core, for tests"
    "-L\${libdir}/morvanta/standins -ltdxlib -lmorvanta_forms_core_objects -lmorvanta_forms_core_reports -lstdc++"
    "")
endif()

# CPack settings only as the top project, or for a parent that has none of
# its own: CPack writes one configuration for the whole build tree, and a
# parent's comes first.
if(PROJECT_IS_TOP_LEVEL OR NOT (CPack_CMake_INCLUDED OR DEFINED CPACK_PACKAGE_NAME))
  include(${CMAKE_CURRENT_LIST_DIR}/packaging.cmake)
endif()
