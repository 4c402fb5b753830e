# The Debian package (scripts/package): the programs, the menu entry, icons and AppStream file
# under /usr, its dependencies read from the programs' shared libraries (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvix)
set(CPACK_PACKAGE_VENDOR "Varnel Software")
set(CPACK_PACKAGE_CONTACT "Varnel Software <support@varnel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture downloader for a photo-sharing site")
set(CPACK_PACKAGE_DESCRIPTION "Browse the photo site in an embedded browser, select pictures or whole ranges of pages and download them in the background through queues that survive a restart. orvix-cli runs the same engine without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# Quick to build in the test suite; the programs are stripped first.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
# The browser engine's helper process and data come with the engine's library package, which
# the scan only finds as a library; the SVG plugin draws the icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginecore6-bin, libqt6svg6")
include(CPack)
