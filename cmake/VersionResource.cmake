# The release's version, read from the file VERSION at build time into one generated header
# (CorvaneVersion.h), so that a new VERSION rebuilds only what includes it: the version resource
# of each module we ship and the command's --version.
#
#   corvane_version_header        interface library: the header's folder, made before its users
#   corvane_version_resource(TARGET DESCRIPTION text [SELF_REGISTERING])
#       gives a Windows module its version resource: fixed file and product version a.b.c.0,
#       the usual strings, and for a self-registering server the empty "OLESelfRegister".

set(CORVANE_VERSION_DIR ${CMAKE_BINARY_DIR}/version)
set(CORVANE_VERSION_HEADER ${CORVANE_VERSION_DIR}/CorvaneVersion.h)
set(CORVANE_COPYRIGHT "Copyright (C) 2026 Corvane")
set(corvane_version_module_dir ${CMAKE_CURRENT_LIST_DIR})

add_custom_command(
  OUTPUT ${CORVANE_VERSION_HEADER}
  COMMAND ${CMAKE_COMMAND} -DVERSION_FILE=${PROJECT_SOURCE_DIR}/VERSION
          -DOUTPUT=${CORVANE_VERSION_HEADER} -P ${corvane_version_module_dir}/WriteVersion.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/VERSION ${corvane_version_module_dir}/WriteVersion.cmake
  VERBATIM)
add_custom_target(corvane_version DEPENDS ${CORVANE_VERSION_HEADER})
add_library(corvane_version_header INTERFACE)
target_include_directories(corvane_version_header INTERFACE ${CORVANE_VERSION_DIR})
add_dependencies(corvane_version_header corvane_version)

function(corvane_version_resource target)
  cmake_parse_arguments(V "SELF_REGISTERING" "DESCRIPTION" "" ${ARGN})
  if(NOT CORVANE_WINDOWS)
    return()
  endif()
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "EXECUTABLE")
    set(FILE_TYPE VFT_APP)
  else()
    set(FILE_TYPE VFT_DLL)
  endif()
  set(DESCRIPTION "${V_DESCRIPTION}")
  set(TARGET ${target})
  set(EXTRA_VALUES "")
  if(V_SELF_REGISTERING)
    # Tells installers and tools that the module registers itself (DllRegisterServer).
    set(EXTRA_VALUES "      VALUE \"OLESelfRegister\", \"\"")
  endif()
  file(READ ${corvane_version_module_dir}/VersionResource.rc.in template)
  string(CONFIGURE "${template}" content @ONLY)
  # The file's own name comes from the target, whatever prefix and suffix it was given.
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "${content}")
  # Only the resource sees the header: the module's other sources keep their flags.
  target_sources(${target} PRIVATE ${rc})
  add_dependencies(${target} corvane_version)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${CORVANE_VERSION_HEADER}
    COMPILE_OPTIONS "--include-dir=${CORVANE_VERSION_DIR}")
endfunction()
