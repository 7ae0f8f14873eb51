# SPDX-License-Identifier: Apache-2.0
# Debian packages made by CPack from the install rules, one package per install
# component.  The top-level CMakeLists includes this file before its
# subdirectories, so that any of them can declare a package, and calls
# vendrill_configure_cpack() after all of them.
#
#   vendrill_add_package(COMPONENT <component> PACKAGE <debian name>
#                        SECTION <section> DESCRIPTION <synopsis + long text>
#                        [DEPENDS <deps>] [RECOMMENDS <deps>] [NO_SHLIBDEPS]
#                        [PYTHON_BYTE_COMPILE])
#     Declares the package: its control fields, and its copyright file and
#     Debian changelog, generated from the project's version and licence and
#     installed into share/doc/<debian name> with the component (and the
#     lintian overrides of lintian-overrides.in).  The first
#     line of DESCRIPTION is the synopsis; blank lines separate paragraphs.
#     Depends is DEPENDS plus what dpkg-shlibdeps finds for the package's ELF
#     files (unless NO_SHLIBDEPS).  PYTHON_BYTE_COMPILE: the package's Python
#     files are byte-compiled when it is installed (postinst runs py3compile)
#     and the compiled files removed before it is (prerm runs py3clean), as
#     Debian's Python packages do.
#
#   vendrill_add_manpage(COMPONENT <component> PAGE <file.N.in>)
#     Fills in the release date and version, compresses the page and installs
#     it into share/man/manN with the component.
#
# Every installed file belongs to a declared component: files of other
# components (CMake's "Unspecified" included) are left out of the packages.

set(VENDRILL_PACKAGE_MAINTAINER "Vendrill developers <vendrill@example.org>"
    CACHE STRING "Maintainer field of the Debian packages and their changelogs")
set(VENDRILL_COPYRIGHT_HOLDER "The Vendrill developers"
    CACHE STRING "Copyright holder named in the packages' copyright files")
set(VENDRILL_DEBIAN_REVISION "1"
    CACHE STRING "Debian revision of the packages: their version is <project version>-<this>")
# The Python package's folder when the install prefix is /usr (the Debian
# package; python/CMakeLists.txt has the folder for other prefixes).
set(VENDRILL_PYTHON_INSTALL_DIR "lib/python3/dist-packages"
    CACHE STRING "Folder, relative to the install prefix /usr, for the Python package")
# copyright.in states the licence of LICENSE: make sure they still agree.
file(STRINGS "${PROJECT_SOURCE_DIR}/LICENSE" _vendrill_licence_head LIMIT_COUNT 3)
if(NOT _vendrill_licence_head MATCHES "Apache License;.*Version 2\\.0, January 2004")
  message(FATAL_ERROR "LICENSE is no longer the Apache License 2.0: "
                      "update packaging/copyright.in to the new licence")
endif()

set(VENDRILL_PACKAGE_VERSION "${PROJECT_VERSION}-${VENDRILL_DEBIAN_REVISION}")
set(VENDRILL_PACKAGING_DIR "${CMAKE_CURRENT_LIST_DIR}")

# The release date of the changelogs and manual pages: SOURCE_DATE_EPOCH when
# set (reproducible builds), else the time of the commit being built, else now.
function(_vendrill_release_epoch out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(${out} "$ENV{SOURCE_DATE_EPOCH}" PARENT_SCOPE)
    return()
  endif()
  find_package(Git QUIET)
  if(GIT_EXECUTABLE)
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
                    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE result ERROR_QUIET)
    if(result EQUAL 0 AND epoch MATCHES "^[0-9]+$")
      set(${out} "${epoch}" PARENT_SCOPE)
      return()
    endif()
  endif()
  string(TIMESTAMP epoch "%s" UTC)
  set(${out} "${epoch}" PARENT_SCOPE)
endfunction()

_vendrill_release_epoch(_vendrill_epoch)
set(_vendrill_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} "${_vendrill_epoch}")
string(TIMESTAMP VENDRILL_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VENDRILL_RELEASE_YEAR "%Y" UTC)
# RFC 5322 date of a Debian changelog trailer line.
string(TIMESTAMP VENDRILL_RELEASE_DATE_RFC "%a, %d %b %Y %H:%M:%S +0000" UTC)
if(_vendrill_saved_epoch STREQUAL "")
  unset(ENV{SOURCE_DATE_EPOCH})
else()
  set(ENV{SOURCE_DATE_EPOCH} "${_vendrill_saved_epoch}")
endif()

# Compresses <in> into <out> as Debian wants for manual pages and changelogs:
# gzip -9 without a name or time stamp in the header.
function(_vendrill_gzip in out)
  add_custom_command(OUTPUT "${out}"
    COMMAND sh -c "gzip -9nc \"\$0\" > \"\$1\"" "${in}" "${out}"
    DEPENDS "${in}"
    COMMENT "Compressing ${out}"
    VERBATIM)
endfunction()

function(vendrill_add_manpage)
  cmake_parse_arguments(ARG "" "COMPONENT;PAGE" "" ${ARGN})
  get_filename_component(page "${ARG_PAGE}" NAME)
  string(REGEX REPLACE "\\.in$" "" page "${page}")
  string(REGEX MATCH "[0-9]$" section "${page}")
  set(configured "${CMAKE_CURRENT_BINARY_DIR}/${page}")
  configure_file("${ARG_PAGE}" "${configured}" @ONLY)
  _vendrill_gzip("${configured}" "${configured}.gz")
  add_custom_target(vendrill_manpage_${page} ALL DEPENDS "${configured}.gz")
  install(FILES "${configured}.gz"
          DESTINATION "${CMAKE_INSTALL_MANDIR}/man${section}"
          COMPONENT ${ARG_COMPONENT})
endfunction()

function(vendrill_add_package)
  cmake_parse_arguments(ARG "NO_SHLIBDEPS;PYTHON_BYTE_COMPILE"
                        "COMPONENT;PACKAGE;SECTION;DESCRIPTION" "DEPENDS;RECOMMENDS" ${ARGN})
  foreach(required COMPONENT PACKAGE SECTION DESCRIPTION)
    if(NOT ARG_${required})
      message(FATAL_ERROR "vendrill_add_package: ${required} is required")
    endif()
  endforeach()

  # The copyright file and the changelog of this package.
  set(VENDRILL_DEB_PACKAGE "${ARG_PACKAGE}")
  set(docs "${CMAKE_BINARY_DIR}/packaging/doc/${ARG_PACKAGE}")
  configure_file("${VENDRILL_PACKAGING_DIR}/copyright.in" "${docs}/copyright" @ONLY)
  configure_file("${VENDRILL_PACKAGING_DIR}/changelog.Debian.in" "${docs}/changelog.Debian"
                 @ONLY)
  _vendrill_gzip("${docs}/changelog.Debian" "${docs}/changelog.Debian.gz")
  add_custom_target(vendrill_package_docs_${ARG_PACKAGE} ALL
                    DEPENDS "${docs}/changelog.Debian.gz")
  install(FILES "${docs}/copyright" "${docs}/changelog.Debian.gz"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/${ARG_PACKAGE}"
          COMPONENT ${ARG_COMPONENT})
  configure_file("${VENDRILL_PACKAGING_DIR}/lintian-overrides.in"
                 "${docs}/lintian-overrides" @ONLY)
  install(FILES "${docs}/lintian-overrides"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides"
          RENAME "${ARG_PACKAGE}" COMPONENT ${ARG_COMPONENT})

  # The maintainer scripts, named as dpkg wants them in the control archive.
  set(control_extra "")
  if(ARG_PYTHON_BYTE_COMPILE)
    set(control "${CMAKE_BINARY_DIR}/packaging/control/${ARG_PACKAGE}")
    configure_file("${VENDRILL_PACKAGING_DIR}/postinst-py3compile.in" "${control}/postinst" @ONLY)
    configure_file("${VENDRILL_PACKAGING_DIR}/prerm-py3clean.in" "${control}/prerm" @ONLY)
    list(APPEND control_extra "${control}/postinst" "${control}/prerm")
  endif()

  set(shlibdeps ON)
  if(ARG_NO_SHLIBDEPS)
    set(shlibdeps OFF)
  endif()
  list(JOIN ARG_DEPENDS ", " depends)
  list(JOIN ARG_RECOMMENDS ", " recommends)
  set_property(GLOBAL APPEND PROPERTY VENDRILL_PACKAGE_COMPONENTS ${ARG_COMPONENT})
  set(prefix VENDRILL_PACKAGE_${ARG_COMPONENT})
  set_property(GLOBAL PROPERTY ${prefix}_NAME "${ARG_PACKAGE}")
  set_property(GLOBAL PROPERTY ${prefix}_SECTION "${ARG_SECTION}")
  set_property(GLOBAL PROPERTY ${prefix}_DESCRIPTION "${ARG_DESCRIPTION}")
  set_property(GLOBAL PROPERTY ${prefix}_DEPENDS "${depends}")
  set_property(GLOBAL PROPERTY ${prefix}_RECOMMENDS "${recommends}")
  set_property(GLOBAL PROPERTY ${prefix}_SHLIBDEPS "${shlibdeps}")
  set_property(GLOBAL PROPERTY ${prefix}_CONTROL_EXTRA "${control_extra}")
endfunction()

# Writes CPackConfig.cmake for the packages declared so far.  Build them with
# scripts/package.sh (or cpack -G DEB in the build folder).
macro(vendrill_configure_cpack)
  set(CPACK_GENERATOR "DEB")
  set(CPACK_PACKAGE_NAME "vendrill")
  set(CPACK_PACKAGE_VENDOR "${VENDRILL_COPYRIGHT_HOLDER}")
  set(CPACK_PACKAGE_CONTACT "${VENDRILL_PACKAGE_MAINTAINER}")
  set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING IGNORE)
  get_property(CPACK_COMPONENTS_ALL GLOBAL PROPERTY VENDRILL_PACKAGE_COMPONENTS)
  set(CPACK_DEBIAN_PACKAGE_RELEASE "${VENDRILL_DEBIAN_REVISION}")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  foreach(_vendrill_component IN LISTS CPACK_COMPONENTS_ALL)
    string(TOUPPER "${_vendrill_component}" _vendrill_upper)
    foreach(_vendrill_field NAME SECTION DEPENDS RECOMMENDS SHLIBDEPS CONTROL_EXTRA)
      get_property(_vendrill_value GLOBAL
                   PROPERTY VENDRILL_PACKAGE_${_vendrill_component}_${_vendrill_field})
      set(CPACK_DEBIAN_${_vendrill_upper}_PACKAGE_${_vendrill_field} "${_vendrill_value}")
    endforeach()
    get_property(_vendrill_value GLOBAL
                 PROPERTY VENDRILL_PACKAGE_${_vendrill_component}_DESCRIPTION)
    set(CPACK_DEBIAN_${_vendrill_upper}_DESCRIPTION "${_vendrill_value}")
  endforeach()
  include(CPack)
endmacro()
