# SPDX-License-Identifier: MIT
# Installation under the usual prefixes and a Debian package built by CPack:
#   cmake --install build/release --prefix /usr
#   cpack --config build/release/CPackConfig.cmake -B build/package
include(GNUInstallDirs)

set(programs pelnix-cli pelnix-unit-sim)
if(PELNIX_BUILD_GUI)
  list(APPEND programs pelnix-config)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(PELNIX_BUILD_GUI)
  install(FILES data/pelnix-config.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/icons/pelnix-config.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES data/io.github.pelnix.config.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# Manual pages are written once in scdoc and turned into troff at build time.
find_program(SCDOC scdoc)
if(SCDOC)
  set(man_pages)
  # One page per program, installed with its program.
  foreach(page pelnix-config pelnix-cli pelnix-unit-sim)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.scd)
    set(section_file ${page}.1)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${section_file}.gz)
    # Debian keeps manual pages compressed; -n leaves out the time so builds repeat exactly.
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
      COMMAND sh -c "${SCDOC} < '${source}' | gzip -9n > '${out}'"
      DEPENDS ${source} VERBATIM)
    list(APPEND man_pages ${out})
    if(page IN_LIST programs)
      install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endforeach()
  add_custom_target(man ALL DEPENDS ${man_pages})
else()
  message(STATUS "scdoc not found: manual pages are not built")
endif()

# The copyright file and the changelog a Debian package carries.
install(FILES data/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelnix-config)
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND sh -c "gzip -9n < '${PROJECT_SOURCE_DIR}/data/debian/changelog' > '${changelog}'"
  DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelnix-config)

set(CPACK_PACKAGE_NAME pelnix-config)
set(CPACK_PACKAGE_VENDOR "pelnix-config developers")
set(CPACK_PACKAGE_CONTACT "pelnix-config developers <pelnix-config@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure 920 MHz RS485 and contact-I/O wireless units")
set(CPACK_PACKAGE_DESCRIPTION
    "pelnix-config reads, checks and writes the settings of RS485 wireless units\n(TX-910A, TX-710A) and contact-input/output units (TX-330) over a serial or\nUSB port, keeps them in XML settings files and writes them into firmware\nimages. pelnix-cli does the same from the command line; pelnix-unit-sim\nplays a unit for trying the tool without hardware.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/pelnix/pelnix-config")
set(CPACK_STRIP_FILES ON)
include(CPack)
