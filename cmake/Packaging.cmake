# `cpack -G DEB` in the build folder makes quivara_<version>_<arch>.deb, installing under /usr.
# The runtime dependencies come from dpkg-shlibdeps, which reads them off the two programs'
# linked libraries (Qt 6, libjpeg, libpng, GraphicsMagick++, SANE); the desktop database, MIME
# and icon caches are refreshed by the distribution's triggers for the folders we install into.
set(CPACK_PACKAGE_NAME quivara)
set(CPACK_PACKAGE_VENDOR "Quivara")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Photomosaic maker: pictures built from many small pictures")
# Lines of at most 80 characters, as Debian's tools want them.
set(CPACK_PACKAGE_DESCRIPTION
    "Quivara builds photomosaics: it gathers pictures into a tile library, divides\n\
a source picture into a grid of cells and puts into each cell the tile that\n\
looks most like it. Cells can be corrected by hand, and the mosaic is saved as\n\
a picture of any size, an HTML gallery or a project to work on later. The\n\
package holds the desktop program (quivara), the command-line tool\n\
(quivara-cli) and a set of sample pictures.")
set(CPACK_PACKAGE_CONTACT "Quivara support <support@quivara.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quivara.example.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, shared-mime-info, desktop-file-utils")

include(CPack)
