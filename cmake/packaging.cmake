# Debian packages, one per install component (cpack -G DEB in the build tree):
#   morvanta-addons           runtime: cache, functions.so, the manual page
#   morvanta-addons-dev       development: headers, archives, package files
#   morvanta-addons-standins  the stand-in cores and engine; needs the -dev
#                             package, whose CMake package loads its targets
# The cache links the product's client core; MORVANTA_DEB_CLIENT_CORE names
# the product's package that holds libtdxlib.so, so the runtime package can
# depend on it.
set(MORVANTA_DEB_CLIENT_CORE "" CACHE STRING
  "Debian package of the product's client core, for the runtime package's Depends")

set(CPACK_PACKAGE_NAME morvanta-addons)
set(CPACK_PACKAGE_VENDOR Morvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Add-on modules of the Morvanta relational database")
set(CPACK_PACKAGE_CONTACT "Morvanta build team <build@morvanta.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL runtime development standins)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION database)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME morvanta-addons)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME morvanta-addons-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_STANDINS_PACKAGE_NAME morvanta-addons-standins)

# The system libraries the programs and shared objects need come from
# dpkg-shlibdeps; the client core is the product's and is named above.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/standins/client_core)
if(MORVANTA_DEB_CLIENT_CORE)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS ${MORVANTA_DEB_CLIENT_CORE})
endif()

include(CPack)
cpack_add_component(runtime DISPLAY_NAME "Cache manager and function module")
cpack_add_component(development DISPLAY_NAME "Headers, archives and package files")
cpack_add_component(standins DISPLAY_NAME "Stand-in cores for tests" DEPENDS development)
