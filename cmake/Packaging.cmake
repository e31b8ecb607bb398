# The packages, made by CPack from what the build installs:
#   Windows (the MinGW-w64 build): kestrune-VERSION-windows-x86_64.zip with
#     kestrune.exe and kestrune-cli.exe, both linked statically, and README.txt.
#       cd build-win && cpack -G ZIP
#   Debian: kestrune_VERSION_ARCH.deb with kestrune and kestrune-cli in
#     /usr/bin, the desktop entry and the icon; its dependencies are computed
#     by dpkg-shlibdeps from the programs.
#       cd build && cpack -G DEB        (tested by scripts/test-package.sh)
set(CPACK_PACKAGE_NAME kestrune)
set(CPACK_PACKAGE_VENDOR "Ombrel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Shrinks an authored DVD-Video folder in place")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrune replaces chosen VOB sets of a VIDEO_TS folder with a five-sector one-frame MPEG-2 video and\
 rewrites the IFO and BUP files so that menus and titles still navigate. Backups of every changed file can be\
 restored or deleted. A desktop window and a command line, kestrune-cli, over one engine.")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME kestrune-${PROJECT_VERSION}-windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ombrel <kestrune@localhost>")
  set(CPACK_DEBIAN_PACKAGE_SECTION video)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n ${CPACK_PACKAGE_DESCRIPTION}")
endif()
include(CPack)
