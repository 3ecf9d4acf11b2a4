# Debian packages, one per install component (cpack -G DEB in the build tree),
# each with a -dbgsym package that holds its programs' debug information:
#   morvanta-addons           runtime: cache, functions.so, the service unit,
#                             cache(8)
#   morvanta-addons-dev       development: headers, archives, package files,
#                             the section-3 manual pages, the reference pages
#   morvanta-addons-standins  the stand-in cores and engine; needs the -dev
#                             package, whose CMake package loads its targets
# The package names and their share/doc folders are set in install_dirs.cmake;
# the descriptions, the copyright file and the package-only scripts lie in
# packaging/. The packages lay their files out as Debian's own do (multiarch
# library folder, compressed manual pages and changelog, stripped programs,
# stripped archives, 0755 folders whatever the umask) and are the same bytes
# however often they are built from one commit (SOURCE_DATE_EPOCH).
#
# The cache links the product's client core; MORVANTA_DEB_CLIENT_CORE names
# the product's package that holds libtdxlib.so, so the runtime package can
# depend on it.
set(MORVANTA_DEB_CLIENT_CORE "" CACHE STRING
  "Debian package of the product's client core, for the runtime package's Depends")

set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(morvanta_maintainer "Morvanta build team <build@morvanta.invalid>")

# ---- files every package carries: copyright and changelog ------------------

find_program(MORVANTA_GZIP gzip REQUIRED)
set(debian_changelog ${PROJECT_BINARY_DIR}/package/changelog.gz)
add_custom_command(OUTPUT ${debian_changelog}
  COMMAND ${CMAKE_COMMAND} -DCHANGELOG=${PROJECT_SOURCE_DIR}/CHANGELOG.md
          -DSOURCE=${MORVANTA_PACKAGE_runtime} -DVERSION=${PROJECT_VERSION}
          "-DMAINTAINER=${morvanta_maintainer}" -DGZIP=${MORVANTA_GZIP} -DOUT=${debian_changelog}
          -P ${packaging_dir}/debian_changelog.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${packaging_dir}/debian_changelog.cmake
  COMMENT "Writing the Debian changelog from CHANGELOG.md"
  VERBATIM)
add_custom_target(morvanta_debian_changelog ALL DEPENDS ${debian_changelog})

foreach(component runtime development standins)
  if(component STREQUAL "standins")
    set(exclude EXCLUDE_FROM_ALL)
  else()
    set(exclude "")
  endif()
  install(FILES ${packaging_dir}/copyright ${debian_changelog}
    DESTINATION ${MORVANTA_INSTALL_DOCDIR_${component}} COMPONENT ${component} ${exclude})
endforeach()

# ---- CPack -----------------------------------------------------------------

set(CPACK_PACKAGE_NAME ${MORVANTA_PACKAGE_runtime})
set(CPACK_PACKAGE_VENDOR Morvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${morvanta_maintainer}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL runtime development standins)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)

# Each package: its name, its own summary line and extended description (the
# first line of packaging/<component>.description is the summary).
foreach(component runtime development standins)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${MORVANTA_PACKAGE_${component}})
  file(READ ${packaging_dir}/${component}.description CPACK_DEBIAN_${upper}_DESCRIPTION)
  if(NOT component STREQUAL "runtime")
    set(CPACK_DEBIAN_${upper}_PACKAGE_SOURCE ${MORVANTA_PACKAGE_runtime})
  endif()
endforeach()
# Every file of the -dev package is either the same on every architecture or
# lies under lib/<multiarch triplet>, so the packages of several architectures
# can be installed together. CPack 3.25 has no Multi-Arch field; the field
# is written on the line after Section.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION "libdevel\nMulti-Arch: same")

# The system libraries the programs and shared objects need come from
# dpkg-shlibdeps; the client core is the product's and is named above.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/standins/client_core)
if(MORVANTA_DEB_CLIENT_CORE)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS ${MORVANTA_DEB_CLIENT_CORE})
endif()

# Folders that the install creates are 0755 whatever the umask of whoever
# installs or packages (the folders cpack makes itself are set so by
# prepare_package_files.cmake), and so are the package's control files.
set(directory_permissions OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                          WORLD_READ WORLD_EXECUTE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${directory_permissions})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${directory_permissions})

# Read by cpack itself: the packages' date; the files stripped as Debian
# strips them, and the folders made 0755, before they are packed (with the
# target's tools); the package's own members made 0644 after.
set(CPACK_MORVANTA_STRIP ${CMAKE_STRIP})
set(CPACK_MORVANTA_OBJCOPY ${CMAKE_OBJCOPY})
configure_file(${packaging_dir}/cpack_project.cmake.in
  ${PROJECT_BINARY_DIR}/package/cpack_project.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/package/cpack_project.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${packaging_dir}/prepare_package_files.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${packaging_dir}/deb_member_modes.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
cpack_add_component(runtime DISPLAY_NAME "Cache manager and function module")
cpack_add_component(development DISPLAY_NAME "Headers, archives and package files")
cpack_add_component(standins DISPLAY_NAME "Stand-in cores for tests" DEPENDS development)
