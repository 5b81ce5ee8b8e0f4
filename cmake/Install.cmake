# What `cmake --install` puts besides the programs and the icons (those are installed where
# they are built): the desktop entry, the MIME types of the two file kinds, the AppStream
# metainfo, the sample pictures quivara-cli's demo command looks for in share/quivara, and
# the copyright and change log every Debian package carries in share/doc/quivara.
set(QUIVARA_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
if(QUIVARA_BUILD_UI)
  install(FILES ${QUIVARA_DESKTOP_DIR}/quivara.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QUIVARA_DESKTOP_DIR}/quivara.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${QUIVARA_DESKTOP_DIR}/org.example.quivara.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/samples/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quivara/samples)

# The change log compressed as Debian wants it: gzip -9, without a name or time stamp, so
# that the same text always gives the same bytes.
set(QUIVARA_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/resources/debian)
# The package's version is the project's; its change log must have an entry for it on top.
file(STRINGS ${QUIVARA_DEBIAN_DIR}/changelog QUIVARA_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT QUIVARA_CHANGELOG_TOP MATCHES "^quivara \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "resources/debian/changelog must begin with an entry for version ${PROJECT_VERSION}")
endif()
set(QUIVARA_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/changelog.gz)
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(
  OUTPUT ${QUIVARA_CHANGELOG_GZ}
  COMMAND ${GZIP_PROGRAM} -9nc ${QUIVARA_DEBIAN_DIR}/changelog > ${QUIVARA_CHANGELOG_GZ}
  DEPENDS ${QUIVARA_DEBIAN_DIR}/changelog
  VERBATIM)
add_custom_target(quivara_changelog ALL DEPENDS ${QUIVARA_CHANGELOG_GZ})
install(FILES ${QUIVARA_DEBIAN_DIR}/copyright ${QUIVARA_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quivara)
