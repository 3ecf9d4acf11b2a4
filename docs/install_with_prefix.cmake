# Install-time step (install(CODE) in docs/CMakeLists.txt): writes the service
# unit and the manual page cache(8) with the paths of the prefix being
# installed to — the package's /usr under cpack, the --prefix given to
# cmake --install — and installs them, the page compressed.
# Set by the caller: UNIT_TEMPLATE, PAGE_TEMPLATE, WORK (a scratch folder),
# SBINDIR, UNITDIR, MAN8DIR (as the install rules name them), GZIP.
include(${CMAKE_CURRENT_LIST_DIR}/../packaging/compress.cmake)

foreach(dir SBINDIR UNITDIR MAN8DIR)
  cmake_path(ABSOLUTE_PATH ${dir} BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE full_${dir})
endforeach()
set(MORVANTA_CACHE_PROGRAM "${full_SBINDIR}/cache")
set(MORVANTA_UNIT_FILE "${full_UNITDIR}/morvanta-cache@.service")
# A minus in a path is a hyphen on the page, not a dash.
foreach(path MORVANTA_CACHE_PROGRAM MORVANTA_UNIT_FILE)
  string(REPLACE "-" "\\-" ${path}_ROFF "${${path}}")
endforeach()

file(MAKE_DIRECTORY "${WORK}")
configure_file("${UNIT_TEMPLATE}" "${WORK}/morvanta-cache@.service" @ONLY)
configure_file("${PAGE_TEMPLATE}" "${WORK}/cache.8" @ONLY)
morvanta_compress("${WORK}/cache.8")
file(INSTALL "${WORK}/morvanta-cache@.service" DESTINATION "${full_UNITDIR}")
file(INSTALL "${WORK}/cache.8.gz" DESTINATION "${full_MAN8DIR}")
