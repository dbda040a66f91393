# The install layout (FHS): the program in bin/, its data in share/quillory/
# (the installed program finds it from its own folder: GetProgramDataFolder),
# the launcher entry, the icons of the hicolor theme and the AppStream
# metainfo. `cpack -G DEB` on a built tree makes the Debian package of it
# (scripts/package.sh).

set(QY_APP_ID io.github.quillory.Quillory)
set(QY_BIN ${PROJECT_BINARY_DIR}/bin)
set(QY_RES ${PROJECT_SOURCE_DIR}/resources)

install(TARGETS quillory RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Generated at build time beside the program (tools/CMakeLists.txt).
install(FILES ${QY_BIN}/DataTemplate/Quillory.db ${QY_BIN}/DataTemplate/Profile.db
        DESTINATION ${QY_INSTALL_DATADIR}/DataTemplate)
install(FILES ${QY_BIN}/American.spm ${QY_BIN}/American.spm.copyright
              ${QY_BIN}/British.spm ${QY_BIN}/British.spm.copyright
              ${QY_BIN}/Wordhoard.spt ${QY_BIN}/Wordhoard.spt.copyright
        DESTINATION ${QY_INSTALL_DATADIR})
install(FILES ${QY_RES}/BitMaps/Quillory.bmp DESTINATION ${QY_INSTALL_DATADIR}/BitMaps)
install(FILES ${QY_RES}/icons/quillory.ico DESTINATION ${QY_INSTALL_DATADIR}/icons)
install(DIRECTORY ${QY_RES}/help/ DESTINATION ${QY_INSTALL_DATADIR}/help)
# (The cursors are compiled into the program.)

# The desktop's side.
install(FILES ${QY_RES}/desktop/${QY_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 48 128 256)
  install(FILES ${QY_RES}/icons/hicolor/${size}x${size}/apps/${QY_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${QY_RES}/icons/quillory.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
        RENAME ${QY_APP_ID}.png)
# The screenshots are the repository's docs/screenshots/, by address.
set(QY_SCREENSHOT_URL https://raw.githubusercontent.com/quillory/quillory/main/docs/screenshots)
set(QY_RELEASE_DATE 2026-12-08)  # of PROJECT_VERSION
configure_file(${QY_RES}/desktop/${QY_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/generated/${QY_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/generated/${QY_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillory)
set(CPACK_PACKAGE_VENDOR "The Quillory developers")
set(CPACK_PACKAGE_CONTACT "The Quillory developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "journaling program: daily and topic journals in rich text")
# (CPack puts the summary first, as the synopsis.)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Quillory keeps daily and topic journals whose entries are written in rich\n\
text (fonts, lists, tables, pictures, links), found again through a date\n\
tree, a calendar and a search across every entry, printed and previewed,\n\
spell checked, and kept in encrypted files under a password.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/quillory/quillory)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Exports through the converters, printing through CUPS; the default text
# style's fonts; TIFF and WebP pictures.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pandoc, cups-client, fonts-liberation2, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
