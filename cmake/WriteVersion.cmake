# cmake -DVERSION_FILE=VERSION -DOUTPUT=CorvaneVersion.h -P WriteVersion.cmake
# Writes the version header from VERSION (major.minor.patch), and only when its text changes, so
# that what includes it is rebuilt for a new version and for nothing else. The bounds are those
# of an installer's product version (255.255.65535), which a version resource also holds.
file(READ ${VERSION_FILE} text)
string(STRIP "${text}" version)
set(part "(0|[1-9][0-9]*)")
if(NOT version MATCHES "^${part}\\.${part}\\.${part}$")
  message(FATAL_ERROR "${VERSION_FILE} holds \"${version}\", not major.minor.patch")
endif()
set(major ${CMAKE_MATCH_1})
set(minor ${CMAKE_MATCH_2})
set(patch ${CMAKE_MATCH_3})
if(major GREATER 255 OR minor GREATER 255 OR patch GREATER 65535)
  message(FATAL_ERROR "${VERSION_FILE}: ${version} is beyond 255.255.65535")
endif()
file(WRITE ${OUTPUT}.new
"/* The release's version, written from VERSION at build time by cmake/WriteVersion.cmake. */
#pragma once
#define CORVANE_VERSION_MAJOR ${major}
#define CORVANE_VERSION_MINOR ${minor}
#define CORVANE_VERSION_PATCH ${patch}
#define CORVANE_VERSION \"${version}\"
#define CORVANE_FILE_VERSION \"${version}.0\"
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
