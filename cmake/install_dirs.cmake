# Install destinations, relative to the install prefix, from GNUInstallDirs.
# Every install rule of the tree names one of these (the manual page goes to
# ${CMAKE_INSTALL_MANDIR}/man8, component runtime).
include(GNUInstallDirs)

set(MORVANTA_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/morvanta)
set(MORVANTA_INSTALL_UDFDIR ${CMAKE_INSTALL_LIBDIR}/morvanta/udf)
set(MORVANTA_INSTALL_STANDINSDIR ${CMAKE_INSTALL_LIBDIR}/morvanta/standins)
set(MORVANTA_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Morvanta)
set(MORVANTA_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
# systemd looks for a package's units here, whatever the library directory.
set(MORVANTA_INSTALL_UNITDIR lib/systemd/system CACHE STRING
  "Where the service unit of the cache manager is installed, relative to the prefix")
