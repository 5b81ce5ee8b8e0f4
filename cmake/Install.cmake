# What `cmake --install` puts besides the programs and the icons (those are installed where
# they are built): the desktop entry, the MIME types of the two file kinds, the AppStream
# metainfo and the sample pictures quivara-cli's demo command looks for in share/quivara.
set(QUIVARA_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
if(QUIVARA_BUILD_UI)
  install(FILES ${QUIVARA_DESKTOP_DIR}/quivara.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QUIVARA_DESKTOP_DIR}/quivara.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${QUIVARA_DESKTOP_DIR}/org.example.quivara.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/samples/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quivara/samples)
