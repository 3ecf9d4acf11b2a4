# Install destinations, relative to the install prefix, from GNUInstallDirs.
# Every install rule of the tree names one of these (the manual pages go to
# ${CMAKE_INSTALL_MANDIR}/man8 and man3).
#
# On Debian and its derivatives the archives, the package files and the
# function module go to lib/<multiarch triplet> under every prefix, the
# layout of Debian's own -dev packages: the packages install there, and the
# compiler, pkg-config and find_package search it under /usr and /usr/local
# alike. GNUInstallDirs picks it for the prefix /usr only, which would leave
# a package built from the default configuration (prefix /usr/local, packaged
# under /usr) with export files that point into lib. CMAKE_INSTALL_LIBDIR
# still chooses another. Inside another project the layout is the parent's:
# the cache entry would change where the parent's own libraries go.
if(PROJECT_IS_TOP_LEVEL AND NOT DEFINED CMAKE_INSTALL_LIBDIR AND CMAKE_LIBRARY_ARCHITECTURE
   AND EXISTS /etc/debian_version)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH
    "Object code libraries (lib/<multiarch triplet> on Debian)")
endif()
include(GNUInstallDirs)

set(MORVANTA_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/morvanta)
set(MORVANTA_INSTALL_UDFDIR ${CMAKE_INSTALL_LIBDIR}/morvanta/udf)
set(MORVANTA_INSTALL_STANDINSDIR ${CMAKE_INSTALL_LIBDIR}/morvanta/standins)
set(MORVANTA_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Morvanta)
set(MORVANTA_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
# systemd looks for a package's units here, whatever the library directory.
set(MORVANTA_INSTALL_UNITDIR lib/systemd/system CACHE STRING
  "Where the service unit of the cache manager is installed, relative to the prefix")
# The Debian package of each install component (cmake/packaging.cmake), and
# its documentation folder, share/doc/<package>, where Debian looks for a
# package's copyright and changelog; the reference pages go with the
# development files.
set(MORVANTA_PACKAGE_runtime morvanta-addons)
set(MORVANTA_PACKAGE_development morvanta-addons-dev)
set(MORVANTA_PACKAGE_standins morvanta-addons-standins)
foreach(component runtime development standins)
  set(MORVANTA_INSTALL_DOCDIR_${component} ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MORVANTA_PACKAGE_${component}})
endforeach()
