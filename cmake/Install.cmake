# What `cmake --install` puts besides the programs and the icons (those are installed where
# they are built): the desktop entry, the MIME types of the two file kinds, the AppStream
# metainfo, the sample pictures quivara-cli's demo command looks for in share/quivara, the
# manual pages, and the copyright and change log every Debian package carries in
# share/doc/quivara.
set(QUIVARA_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
if(QUIVARA_BUILD_UI)
  install(FILES ${QUIVARA_DESKTOP_DIR}/quivara.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QUIVARA_DESKTOP_DIR}/quivara.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${QUIVARA_DESKTOP_DIR}/org.example.quivara.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/samples/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quivara/samples)

# The change log and the manual pages are installed compressed as Debian wants them: gzip -9,
# without a name or time stamp, so that the same text always gives the same bytes.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(QUIVARA_GZIPPED_DOCS)
function(quivara_gzip source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${GZIP_PROGRAM} -9nc ${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
  set(QUIVARA_GZIPPED_DOCS ${QUIVARA_GZIPPED_DOCS} ${output} PARENT_SCOPE)
endfunction()

set(QUIVARA_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/resources/debian)
# The package's version is the project's; its change log must have an entry for it on top.
file(STRINGS ${QUIVARA_DEBIAN_DIR}/changelog QUIVARA_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT QUIVARA_CHANGELOG_TOP MATCHES "^quivara \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "resources/debian/changelog must begin with an entry for version ${PROJECT_VERSION}")
endif()
quivara_gzip(${QUIVARA_DEBIAN_DIR}/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${QUIVARA_DEBIAN_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quivara)

set(QUIVARA_MAN_PAGES quivara-cli)
if(QUIVARA_BUILD_UI)
  list(APPEND QUIVARA_MAN_PAGES quivara)
endif()
foreach(page ${QUIVARA_MAN_PAGES})
  quivara_gzip(${PROJECT_SOURCE_DIR}/resources/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
add_custom_target(quivara_package_docs ALL DEPENDS ${QUIVARA_GZIPPED_DOCS})
