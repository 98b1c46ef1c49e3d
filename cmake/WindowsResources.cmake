# The resources of Quenzel's Windows programs: one manifest (common controls 6, per-monitor DPI
# aware, asInvoker, Windows 10/11) and one version block, kept in packaging/windows/, so that every
# program says the same about itself.
#
#   qz_windows_resources(<target> DESCRIPTION "<file description>" [ICON <file.ico>])
#
# generates <target>.rc and <target>.manifest in the current binary folder and compiles the .rc
# into the target. The version is QZ_WINDOWS_VERSION (below), the product "Quenzel", the
# company "The Quenzel developers", the internal and original names the target's output name. An
# ICON becomes icon resource 1, the program's icon in Explorer, for LoadIcon(instance,
# MAKEINTRESOURCE(1)); a program's own further resources (tray icons, dialogs) go into an .rc of
# its own, with identifiers other than 1 for icons. For the desktop program, in win/:
#
#   qz_windows_resources(quenzel DESCRIPTION "Quenzel" ICON ${CMAKE_CURRENT_BINARY_DIR}/quenzel.ico)
#
# Outside Windows builds the function does nothing.
if(WIN32)
  enable_language(RC)
endif()

# The version in three parts, as Windows shows it and the installer is named: 1.6 gives 1.6.0.
set(QZ_WINDOWS_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
if(NOT "${PROJECT_VERSION_PATCH}" STREQUAL "")
  string(APPEND QZ_WINDOWS_VERSION .${PROJECT_VERSION_PATCH})
else()
  string(APPEND QZ_WINDOWS_VERSION .0)
endif()
set(QZ_WINDOWS_INSTALLER quenzel-${QZ_WINDOWS_VERSION}-win64)

set(QZ_WINDOWS_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging/windows)
cmake_path(NORMAL_PATH QZ_WINDOWS_RESOURCE_DIR)

function(qz_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(R "" "DESCRIPTION;ICON" "" ${ARGN})
  if(NOT R_DESCRIPTION)
    message(FATAL_ERROR "qz_windows_resources(${target}): DESCRIPTION is missing")
  endif()
  get_target_property(QZ_RC_NAME ${target} OUTPUT_NAME)
  if(NOT QZ_RC_NAME)
    set(QZ_RC_NAME ${target})
  endif()
  set(QZ_RC_DESCRIPTION "${R_DESCRIPTION}")
  set(QZ_RC_COMPANY "The Quenzel developers")
  set(QZ_RC_VERSION ${QZ_WINDOWS_VERSION})
  string(REPLACE "." "," QZ_RC_VERSION_COMMAS ${QZ_WINDOWS_VERSION}.0)
  set(QZ_RC_VERSION_DOTS ${QZ_WINDOWS_VERSION}.0)

  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target})
  set(QZ_RC_MANIFEST ${out}.manifest)
  set(QZ_RC_ICON "")
  if(R_ICON)
    cmake_path(ABSOLUTE_PATH R_ICON BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
    set(QZ_RC_ICON "1 ICON \"${R_ICON}\"")
  endif()
  configure_file(${QZ_WINDOWS_RESOURCE_DIR}/Quenzel.manifest.in ${out}.manifest @ONLY)
  configure_file(${QZ_WINDOWS_RESOURCE_DIR}/Resources.rc.in ${out}.rc @ONLY)
  target_sources(${target} PRIVATE ${out}.rc)
  # windres knows nothing of the files an .rc names.
  set(depends ${out}.manifest)
  if(R_ICON)
    list(APPEND depends ${R_ICON})
  endif()
  set_property(SOURCE ${out}.rc APPEND PROPERTY OBJECT_DEPENDS ${depends})
endfunction()
