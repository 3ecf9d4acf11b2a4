/*
 * morvanta_version.h - the version of the Morvanta add-on modules that these
 * headers belong to. Included by dbutil.h and forms.h.
 *
 * The one place that holds the version: the build reads it from here for
 * the project, the CMake package and the pkg-config files. The string is the
 * two numbers joined by a dot; the build refuses a header where they differ.
 */
#ifndef MORVANTA_VERSION_H
#define MORVANTA_VERSION_H

#define MORVANTA_VERSION_MAJOR 4
#define MORVANTA_VERSION_MINOR 0
#define MORVANTA_VERSION_STRING "4.0"

#endif /* MORVANTA_VERSION_H */
